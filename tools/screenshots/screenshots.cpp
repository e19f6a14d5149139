// Renders the main states of the window to PNG files for the documentation:
// start screen, browse panel, result view, report-folder panel, about window,
// the armed cycle control and the browse panel during a folder scan.
// Usage: kelvaron_screenshots OUTPUT_FOLDER EXAMPLES_FOLDER [SUFFIX]
// Run on the offscreen platform; QT_SCALE_FACTOR=2 gives the large pictures.
// With KELVARON_CREO_SAMPLE naming a Creo assembly, its parts list is drawn too.

#include "app/clickablelabel.h"
#include "app/form1.h"
#include "widgets/dirlistbox.h"
#include "widgets/filelistbox.h"

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
void renderBrowsing(Output& out, const QString& examples, const QString& reports) {
  Form1 form;
  form.Form_Load();
  form.txt_Pfad->setText(reports);
  form.show();
  form.move(0, 0);
  out.save(&form, QStringLiteral("start"));

  form.cmd_file_Click();
  form.Dir1->setPath(examples);
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

// The armed cycle control, and the browse panel during a folder scan of a
// small project tree (the examples in the start folder and two subfolders).
void renderScan(Output& out, const QString& examples, const QString& reports) {
  // A fixed folder, so the pictures do not change from one run to the next.
  QDir demo(QDir::temp().filePath(QStringLiteral("kelvaron-demo")));
  demo.removeRecursively();
  const QString tree = demo.filePath(QStringLiteral("projects"));
  const QStringList files = QDir(examples).entryList(QDir::Files, QDir::Name);
  for (const char* sub : {"", "/gearbox", "/pump/old"}) {
    const QString folder = tree + QString::fromLatin1(sub);
    QDir().mkpath(folder);
    for (const QString& file : files) QFile::copy(QDir(examples).filePath(file), QDir(folder).filePath(file));
  }

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
  demo.removeRecursively();
}

// The parts of a Creo assembly, copied into a fixed demo folder so that no
// path of the machine the pictures are made on shows.
void renderCreo(Output& out, const QString& sample) {
  QDir demo(QStringLiteral("/tmp/demo"));
  demo.removeRecursively();
  const QString projects = demo.filePath(QStringLiteral("home/user/projects"));
  const QString reports = demo.filePath(QStringLiteral("home/user/reports"));
  const QString name = QFileInfo(sample).fileName();
  if (!QDir().mkpath(projects) || !QDir().mkpath(reports) || !QFile::copy(sample, QDir(projects).filePath(name))) {
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
  demo.removeRecursively();
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Kelvaron"));
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER EXAMPLES_FOLDER [SUFFIX]\n", argv[0]);
    return 2;
  }
  QStandardPaths::setTestModeEnabled(true);
  Output out{QString::fromLocal8Bit(argv[1]), argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString()};
  const QString examples = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
  QDir().mkpath(out.folder);
  QTemporaryDir reports;
  renderBrowsing(out, examples, reports.path());
  renderScan(out, examples, reports.path());
  const QString creo = qEnvironmentVariable("KELVARON_CREO_SAMPLE");
  if (!creo.isEmpty()) renderCreo(out, creo);
  return out.ok ? 0 : 1;
}
