// Renders the main states of the window to PNG files for the documentation.
// Usage: kelvaron_screenshots OUTPUT_FOLDER EXAMPLES_FOLDER [SUFFIX]
// Run on the offscreen platform; QT_SCALE_FACTOR=2 gives the large pictures.

#include "app/form1.h"
#include "platform/dirlistbox.h"
#include "platform/filelistbox.h"

#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#if __has_include("about/form2.h")
#include "about/form2.h"
#define KELVARON_HAVE_FORM2 1
#endif

namespace {

bool save(QWidget* window, const QString& folder, const QString& name, const QString& suffix) {
  QCoreApplication::processEvents();
  const QString file = QDir(folder).filePath(name + suffix + QStringLiteral(".png"));
  const bool ok = window->grab().save(file);
  std::fprintf(ok ? stdout : stderr, "%s %s\n", ok ? "wrote" : "cannot write", qPrintable(file));
  return ok;
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

  kelvaron::Form1 form;
  form.Form_Load();
  form.txt_Pfad->setText(reports.path());
  form.show();
  form.move(0, 0);
  bool ok = save(&form, out, QStringLiteral("start"), suffix);

  form.cmd_file_Click();
  form.Dir1->setPath(examples);
  ok &= save(&form, out, QStringLiteral("browse"), suffix);

  // The result view, as a click on the gearbox file gives it.
  QListWidget* files = form.File1;
  const QList<QListWidgetItem*> found = files->findItems(QStringLiteral("gearbox.asm.3"), Qt::MatchExactly);
  if (!found.isEmpty()) {
    const QRect cell = files->visualItemRect(found.first());
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, cell.center());
  }
  if (form.List_ASM->count() > 2) {
    const QRect cell = form.List_ASM->visualItemRect(form.List_ASM->item(2));
    QTest::mouseClick(form.List_ASM->viewport(), Qt::LeftButton, {}, cell.center());
  }
  ok &= save(&form, out, QStringLiteral("result"), suffix);

  form.cmd_opts_Click();
  form.Dir2->setPath(reports.path());
  ok &= save(&form, out, QStringLiteral("report-folder"), suffix);
  form.cmd_exitdatei_Click();

#ifdef KELVARON_HAVE_FORM2
  form.cmd_info_Click();
  QTest::qWait(1500);
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window != &form && window->isVisible()) ok &= save(window, out, QStringLiteral("about"), suffix);
#endif
  form.close();
  return ok ? 0 : 1;
}
