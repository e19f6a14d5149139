// Renders the main states of the window to PNG files for the documentation:
// start screen, browse panel, result view, report-folder panel, about window,
// the armed cycle control and the browse panel during a folder scan; with
// --dark the first four and the about window under a dark theme ("-dark").
// Usage: kelvaron_screenshots OUTPUT_FOLDER EXAMPLES_FOLDER [SUFFIX] [--dark]
// Run on the offscreen platform; QT_SCALE_FACTOR=2 gives the large pictures.
// The pictures show a demo tree in /home/user (projects/, reports/), the same
// on every machine: the tool makes it there and refuses a /home/user that
// holds anything. scripts/screenshots.sh runs it with /home on a private
// in-memory file system.
// With KELVARON_CREO_SAMPLE naming a Creo assembly, its parts list is drawn too.

#include "app/clickablelabel.h"
#include "app/form1.h"
#include "widgets/dirlistbox.h"
#include "widgets/filelistbox.h"
#include "widgets/readablecolour.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>

using kelvaron::Form1;

namespace {

const QString kDemoHome = QStringLiteral("/home/user");

struct Output {
  QString folder;
  QString suffix;
  bool ok = true;

  void save(QWidget* window, const QString& name) {
    QCoreApplication::processEvents();
    const QString file = QDir(folder).filePath(name + suffix + QStringLiteral(".png"));
    const bool saved = window->grab().save(file);
    std::fprintf(saved ? stdout : stderr, "%s %s\n", saved ? "wrote" : "cannot write", qPrintable(file));
    ok &= saved;
  }
};

void clickRow(QListWidget* list, int row) {
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
}

// Start screen, browse panel, result view, report-folder panel, about window.
void renderBrowsing(Output& out, const QString& projects, const QString& reports) {
  Form1 form;
  form.Form_Load();
  form.txt_Pfad->setText(reports);
  form.show();
  form.move(0, 0);
  out.save(&form, QStringLiteral("start"));

  form.cmd_file_Click();
  form.Dir1->setPath(projects);
  out.save(&form, QStringLiteral("browse"));

  // The result view, as a click on the gearbox file gives it.
  const QList<QListWidgetItem*> found = form.File1->findItems(QStringLiteral("gearbox.asm.3"), Qt::MatchExactly);
  if (!found.isEmpty()) clickRow(form.File1, form.File1->row(found.first()));
  if (form.List_ASM->count() > 2) clickRow(form.List_ASM, 2);
  out.save(&form, QStringLiteral("result"));

  form.cmd_opts_Click();
  form.Dir2->setPath(reports);
  out.save(&form, QStringLiteral("report-folder"));
  form.cmd_exitdatei_Click();

  form.cmd_info_Click();
  QTest::qWait(1500);
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window != &form && window->isVisible()) out.save(window, QStringLiteral("about"));
  form.close();
}

// The armed cycle control, and the browse panel during a folder scan of the
// demo tree (the examples in projects/ and two subfolders).
void renderScan(Output& out, const QString& tree, const QString& reports) {
  Form1 form;
  form.testHooks.clock = [] { return QDateTime(QDate(2024, 3, 1), QTime(6, 59, 41)); };
  form.testHooks.messageBox = [](const QString&) {};
  form.Form_Load();
  form.Timer1->stop();
  form.txt_Pfad->setText(reports);
  form.show();
  form.move(0, 0);

  form.cmd_file_Click();
  form.Dir1->setPath(tree);
  form.combo_zeit->setEditText(QStringLiteral("07"));
  form.Timer1_Timer();
  out.save(&form, QStringLiteral("cycle-control"));

  // During the walk, the user has brought the browse panel back: the stop
  // picture is shown and the status line counts the matches.
  form.combo_zeit->setEditText(QStringLiteral("keine"));
  bool shot = false;
  form.testHooks.yield = [&] {
    if (shot || !form.img_stop->isEnabled() || form.lbl_status->text().toInt() < 5) return;
    shot = true;
    form.cmd_file_Click();
    out.save(&form, QStringLiteral("scan"));
  };
  form.cmd_verzeichnis_Click();
  if (!shot) {
    std::fprintf(stderr, "the scan picture was not taken\n");
    out.ok = false;
  }
  form.close();
}

// The demo tree: the examples in projects/, gearbox/ and pump/old/, and an
// empty reports/ folder, in kDemoHome, which must be empty or absent.
bool makeDemoTree(const QString& examples) {
  QDir home(kDemoHome);
  if (home.exists() && !home.isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)) {
    std::fprintf(stderr, "%s is not empty; run scripts/screenshots.sh\n", qPrintable(kDemoHome));
    return false;
  }
  const QStringList files = QDir(examples).entryList(QDir::Files, QDir::Name);
  bool ok = QDir().mkpath(home.filePath(QStringLiteral("reports")));
  for (const char* sub : {"", "/gearbox", "/pump/old"}) {
    const QString folder = home.filePath(QStringLiteral("projects")) + QString::fromLatin1(sub);
    ok = ok && QDir().mkpath(folder);
    for (const QString& file : files)
      ok = ok && QFile::copy(QDir(examples).filePath(file), QDir(folder).filePath(file));
  }
  if (!ok) std::fprintf(stderr, "cannot make the demo tree in %s\n", qPrintable(kDemoHome));
  return ok;
}

// The parts of a Creo assembly, copied into the demo tree's projects folder.
void renderCreo(Output& out, const QString& sample, const QString& projects, const QString& reports) {
  const QString name = QFileInfo(sample).fileName();
  if (!QFile::copy(sample, QDir(projects).filePath(name))) {
    std::fprintf(stderr, "cannot copy %s into %s\n", qPrintable(sample), qPrintable(projects));
    out.ok = false;
    return;
  }
  Form1 form;
  form.Form_Load();
  form.txt_Pfad->setText(reports);
  form.show();
  form.move(0, 0);
  form.cmd_file_Click();
  form.Dir1->setPath(projects);
  const QList<QListWidgetItem*> found = form.File1->findItems(name, Qt::MatchExactly);
  if (!found.isEmpty()) clickRow(form.File1, form.File1->row(found.first()));
  if (form.List_ASM->count() > 8) clickRow(form.List_ASM, 8);
  out.save(&form, QStringLiteral("creo-parts"));
  form.close();
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Kelvaron"));
  QStringList args = QApplication::arguments().mid(1);
  const bool dark = args.removeAll(QStringLiteral("--dark")) > 0;
  if (args.size() < 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER EXAMPLES_FOLDER [SUFFIX] [--dark]\n", argv[0]);
    return 2;
  }
  QStandardPaths::setTestModeEnabled(true);
  Output out{args[0], (dark ? QStringLiteral("-dark") : QString()) + args.value(2)};
  const QString examples = QDir(args[1]).absolutePath();
  QDir().mkpath(out.folder);
  if (!makeDemoTree(examples)) return 1;
  // The home folder is where the window's lists start.
  qputenv("HOME", kDemoHome.toLocal8Bit());
  if (dark) QApplication::setPalette(kelvaron::widgets::darkPalette());
  const QString projects = kDemoHome + QStringLiteral("/projects");
  const QString reports = kDemoHome + QStringLiteral("/reports");
  renderBrowsing(out, projects, reports);
  if (!dark) renderScan(out, projects, reports);
  const QString creo = qEnvironmentVariable("KELVARON_CREO_SAMPLE");
  if (!dark && !creo.isEmpty()) renderCreo(out, creo, projects, reports);
  QDir(kDemoHome).removeRecursively();
  return out.ok ? 0 : 1;
}
