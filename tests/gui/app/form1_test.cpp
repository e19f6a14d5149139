// The main window on the offscreen platform: layout, browsing and analysis,
// panels, window fit, settings and the command line.

#include "app/commandline.h"
#include "app/windowfit.h"
#include "form1fixture.h"
#include "widgets/drivelistbox.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGroupBox>
#include <QScreen>

using namespace kelvaron;
using namespace kelvaron::test;

namespace {

class Recorder : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> urls;
 public Q_SLOTS:
  void open(const QUrl& url) { urls << url; }
};

}  // namespace

class Form1Test : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { isolateSettings(); }
  void init() { store().clear(); }

  void panelsAndAboutWindow() {
    Window w;
    w->show();
    w->Frame2->show();  // as after an analysis
    const auto shownAt = [&](QPoint at, QWidget* panel) {
      QWidget* hit = w->childAt(at);
      return hit == panel || panel->isAncestorOf(hit);
    };
    QVERIFY(shownAt({20, 34}, w->Frame4));  // the toolbar covers the top of the result panel
    // Visible after each click:          Image1 Frame2 Frame3 Frame4 Frame5 Frame1
    const std::pair<QWidget*, const char*> steps[] = {
        {w->cmd_opts, "010110"},   {w->cmd_exitdatei, "010100"}, {w->cmd_file, "001100"}, {w->cmd_close, "000100"},
        {w->lbl_status, "000101"}, {w->cmd_file, "001101"},      {w->cmd_opts, "001111"},
    };
    for (const auto& [control, visible] : steps) {
      QTest::mouseClick(control, Qt::LeftButton);
      QString state;
      for (QWidget* panel :
           std::initializer_list<QWidget*>{w->Image1, w->Frame2, w->Frame3, w->Frame4, w->Frame5, w->Frame1})
        state += panel->isVisible() ? '1' : '0';
      QCOMPARE(state, QString(visible));
    }
    QVERIFY(shownAt({100, 200}, w->Frame5));  // the report-folder panel lies over the others
    // One about window, not modal and not owned, closed with the main window.
    const auto aboutWindows = [] {
      QList<QWidget*> found;
      for (QWidget* top : QApplication::topLevelWidgets())
        if (top->inherits("kelvaron::Form2") && top->isVisible() && !top->isModal() && !top->parentWidget())
          found << top;
      return found.size();
    };
    QTest::mouseClick(w->cmd_info, Qt::LeftButton);
    QTest::mouseClick(w->cmd_info, Qt::LeftButton);
    QCOMPARE(aboutWindows(), 1);
    w->close();
    QCOMPARE(aboutWindows(), 0);
  }

  void changeChainsFollowTheLists() {
    Tree tree({"work/top.asm.3"});
    Window w;
    w->Dir1->setPath(tree.root + "work");
    QCOMPARE(w->File1->path() + w->lbl_Dir->text(), tree.root + "work" + tree.root + "work");
    QCOMPARE(lines(w->File1), QStringList{"top.asm.3"});
    const QStringList drives = w->Drive1->drives();  // another drive, then back to the first
    for (const QString& drive : {drives.last(), drives.first()}) {
      w->Drive1->setDrive(drive);
      QCOMPARE(w->Dir1->path() + w->lbl_Dir->text() + w->File1->path(), drive + drive + drive);
    }
    w->txt_Pfad->setText(QStringLiteral("typed by hand"));
    w->Dir2->setPath(tree.reports);
    QCOMPARE(w->txt_Pfad->text(), tree.reports);
  }

  void fileClickAnalysesAndWritesTheReport() {
    Tree tree({"work/top.asm.3"});
    Window w;
    w.browse(tree.root + "work", tree.reports);
    QVERIFY(w.clickFile("top.asm.3"));
    QVERIFY(!w->Frame3->isVisible() && w->Frame2->isVisible() && w->Frame4->isVisible());
    QCOMPARE(lines(w->List_ASM), (QStringList{"the following parts are build in this assembly:", "BOLT_M8", "NUT"}));
    // The file, the last part with its start and end bound (its "@model_type" is at byte 59), the report.
    QCOMPARE(QStringList({w->lbl_File->text(), w->txt_P1->text(), w->Label1->text(), w->Label2->text(), w->Pfad->text(),
                          w->lbl_status->text()}),
             QStringList(
                 {tree.root + "work/top.asm.3", "NUT", "54", "58", tree.reports + "/top__Kelvaron.txt", "file saved"}));
    QCOMPARE(tree.reportFiles(), reportsOf({"top"}));
    QVERIFY(w->cmd_exec->isVisible() && !w->isBusy() && !w->cmd_partname->isVisible());

    // The selected line goes to the clipboard; a new analysis keeps the
    // button, and with nothing selected it copies "".
    clickRow(w->List_ASM, 1);
    QCOMPARE(w->cmd_partname->text(), QStringLiteral("BOLT_M8 to clipboard"));
    QTest::mouseClick(w->cmd_partname, Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("BOLT_M8"));
    w->cmd_file_Click();
    QVERIFY(w.clickFile("top.asm.3") && w->cmd_partname->isVisible());
    QTest::mouseClick(w->cmd_partname, Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), QString());

    // The report opens while it exists, and silently not once it is gone.
    Recorder recorder;
    QDesktopServices::setUrlHandler("file", &recorder, "open");
    QTest::mouseClick(w->cmd_exec, Qt::LeftButton);
    QVERIFY(QFile::remove(w->Pfad->text()));
    QTest::mouseClick(w->cmd_exec, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler("file");
    QCOMPARE(recorder.urls, QList<QUrl>{QUrl::fromLocalFile(tree.reports + "/top__Kelvaron.txt")});

    // A report folder that does not exist: the reason in the status line, no cmd_exec.
    w->txt_Pfad->setText(tree.root + "nowhere");
    w->cmd_file_Click();
    QVERIFY(w.clickFile("top.asm.3") && !w->cmd_exec->isVisible());
    QVERIFY2(w->lbl_status->text().startsWith("cannot write " + tree.root + "nowhere/top__Kelvaron.txt: "),
             qPrintable(w->lbl_status->text()));
  }

  void rootFolderPathHasOneSeparator() {
    QString name;
    for (const QFileInfo& entry : QDir("/").entryInfoList(QDir::Files))
      if (entry.isReadable() && entry.size() < 1 << 20) name = entry.fileName();
    if (name.isEmpty()) QSKIP("no readable file in the root folder");
    Tree tree;
    Window w;
    w.browse("/", tree.reports);
    w->File1->setPattern(name);
    QVERIFY(w.clickFile(name));
    QCOMPARE(w->lbl_File->text(), "/" + name);
  }

  void windowFit() {
    const int cases[][4] = {
        // left, width, screen width, new left
        {2000, 8000, 9000, 1000},          {500, 8000, 9000, 500}, {1000, 8000, 9000, 1000}, {0, 8000, 6000, -2000},
        {16777216, 1, 16777216, 16777216},  // summed in single precision: 16777216 + 1 is not beyond
    };
    for (const auto& c : cases) QCOMPARE(fittedLeft(c[0], c[1], c[2]), c[3]);

    Window w;
    w->show();
    const QRect screen = w->screen()->geometry();
    w->resize(700, w->height());
    w->move(screen.right() - 300, 40);
    // Maximised where the rule would move and narrow it, the window is left alone.
    w->showMaximized();
    QTRY_VERIFY(w->windowState() & Qt::WindowMaximized);
    const QRect maximised = w->geometry();
    w->cmd_close_Click();
    QCOMPARE(w->geometry(), maximised);
    w->showNormal();
    QTRY_VERIFY(!(w->windowState() & Qt::WindowMaximized));
    w->cmd_close_Click();
    QCOMPARE(w->frameGeometry(), QRect(screen.right() - 8000 / 15 + 1, 40, 8000 / 15, w->frameGeometry().height()));
    w->move(10, 40);
    w->cmd_close_Click();
    QCOMPARE(w->frameGeometry().x(), 10);
  }

  // The first run uses the defaults; folders and a typed report folder
  // survive a restart; a saved folder deleted meanwhile is skipped quietly.
  void settingsSurviveARestart() {
    Tree tree({"work/top.asm.3"});
    QVERIFY(QDir().mkpath(tree.root + "gone"));
    Window first;
    QCOMPARE(QStringList({first->Drive1->drive(), first->Dir1->path(), first->Dir2->path(), first->txt_Pfad->text()}),
             QStringList({"/", QDir::homePath(), QDir::homePath(), QDir::homePath()}));
    QVERIFY(first->Timer1->isActive() && !first->img_stop->isEnabled() &&
            !first->img_stop->isVisibleTo(first.form.get()));
    first->Dir1->setPath(tree.root + "work");
    first->Dir2->setPath(tree.root + "gone");
    first->txt_Pfad->setText(tree.reports);  // typed, unlike Dir2
    first->combo_zeit->setEditText(QStringLiteral("07"));
    first->show();
    QTest::mouseClick(first->cmd_exit, Qt::LeftButton);
    QVERIFY(!first->isVisible() && first->isUnloaded());
    QVERIFY(QDir(tree.root + "gone").removeRecursively());

    Window second;
    QCOMPARE(QStringList({second->Dir1->path(), second->lbl_Dir->text(), second->Dir2->path(), second->txt_Pfad->text(),
                          second->combo_zeit->currentText()}),
             QStringList({tree.root + "work", tree.root + "work", QDir::homePath(), tree.reports, "keine"}));
    QVERIFY(first.messages.isEmpty() && second.messages.isEmpty());
  }

  void commandLine() {
    const std::pair<QStringList, QString> texts[] = {
        {{}, ""},
        {{"\"/w/top.asm.3\""}, "/w/top.asm.3"},
        {{"/w/top.asm.3"}, "/w/top.asm.3"},  // plain, as from a script or "Open with"
        {{"/w/my", "top.asm.3"}, "/w/my top.asm.3"},
        {{"\"/w/top.asm.3"}, "\"/w/top.asm.3"},
        {{"\""}, "\""},
    };
    for (const auto& [arguments, path] : texts) QCOMPARE(commandLinePath(kelvaron::commandLineText(arguments)), path);

    const struct {
      QString file;      // under work/
      QString argument;  // %1 is the full path
      bool message;      // "no assemblies !", before the analysis
      bool exists;
    } cases[] = {
        {"top.asm.3", "\"%1\"", false, true},
        {"top.asm.3", "%1", false, true},
        {"TOP.ASM.3", "\"%1\"", true, true},
        {"none.asm.1", "\"%1\"", false, false},
    };
    Tree tree({"work/top.asm.3", "work/TOP.ASM.3"});
    store().setValue("Optionen/txt_Pfad.Text", tree.reports);
    for (const auto& c : cases) {
      const QString path = tree.root + "work/" + c.file;
      Window w(c.argument.arg(path));
      QCOMPARE(w.messages, c.message ? QStringList{"no assemblies !"} : QStringList{});
      QCOMPARE(w.linesAtMessage, c.message ? 0 : -1);
      QCOMPARE(w->lbl_File->text(), path);
      QVERIFY(!w->Image1->isVisible() && w->Frame2->isVisible() && w->Frame4->isVisible());
      QCOMPARE(w->frameGeometry().width(), 8000 / 15);
      QCOMPARE(w->List_ASM->count(), c.exists ? 3 : 0);
      QVERIFY2(w->lbl_status->text().startsWith(c.exists ? "file saved" : "cannot read "),
               qPrintable(w->lbl_status->text()));
      QCOMPARE(w->cmd_exec->isVisible(), c.exists);
      QCOMPARE(QFile::exists(path), c.exists);  // a missing file is not created
      if (c.exists && !c.message) QCOMPARE(w->Dir1->path(), tree.root + "work");
    }
  }
};

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
