// Renders the folder scan's states to PNG files for the documentation: the
// browse panel during a scan (stop picture shown, count running) and the
// armed cycle control.
// Usage: kelvaron_scan_screenshots OUTPUT_FOLDER EXAMPLES_FOLDER [SUFFIX]
// Run on the offscreen platform; QT_SCALE_FACTOR=2 gives the large pictures.

#include "app/clickablelabel.h"
#include "app/form1.h"
#include "platform/dirlistbox.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {

bool save(QWidget* window, const QString& folder, const QString& name, const QString& suffix) {
  QCoreApplication::processEvents();
  const QString file = QDir(folder).filePath(name + suffix + QStringLiteral(".png"));
  const bool ok = window->grab().save(file);
  std::fprintf(ok ? stdout : stderr, "%s %s\n", ok ? "wrote" : "cannot write", qPrintable(file));
  return ok;
}

// A small project tree: the examples in the start folder and in two subfolders.
void copyExamples(const QString& examples, const QString& tree) {
  const QStringList files = QDir(examples).entryList(QDir::Files, QDir::Name);
  for (const char* sub : {"", "/gearbox", "/pump/old"}) {
    const QString folder = tree + QString::fromLatin1(sub);
    QDir().mkpath(folder);
    for (const QString& file : files) QFile::copy(QDir(examples).filePath(file), QDir(folder).filePath(file));
  }
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
  const QString out = QString::fromLocal8Bit(argv[1]);
  const QString examples = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
  const QString suffix = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
  QDir().mkpath(out);
  QTemporaryDir reports;
  // A fixed folder, so the pictures do not change from one run to the next.
  QDir demo(QDir::temp().filePath(QStringLiteral("kelvaron-demo")));
  demo.removeRecursively();
  const QString tree = demo.filePath(QStringLiteral("projects"));
  copyExamples(examples, tree);

  kelvaron::Form1 form;
  form.clockHook = [] { return QDateTime(QDate(2024, 3, 1), QTime(6, 59, 41)); };
  form.messageBoxHook = [](const QString&) {};
  form.Form_Load();
  form.Timer1->stop();
  form.txt_Pfad->setText(reports.path());
  form.show();
  form.move(0, 0);

  // The armed cycle control: the browse panel with 07 chosen and the clock shown.
  form.cmd_file_Click();
  form.Dir1->setPath(tree);
  form.combo_zeit->setEditText(QStringLiteral("07"));
  form.Timer1_Timer();
  bool ok = save(&form, out, QStringLiteral("cycle-control"), suffix);

  // During the walk, the user has brought the browse panel back: the stop
  // picture is shown and the status line counts the matches.
  form.combo_zeit->setEditText(QStringLiteral("keine"));
  bool shot = false;
  form.yieldHook = [&] {
    if (shot || !form.img_stop->isEnabled() || form.lbl_status->text().toInt() < 5) return;
    shot = true;
    form.cmd_file_Click();
    ok &= save(&form, out, QStringLiteral("scan"), suffix);
  };
  form.cmd_verzeichnis_Click();
  ok &= shot;
  form.close();
  demo.removeRecursively();
  return ok ? 0 : 1;
}
