// The main window on the offscreen platform: layout, browsing and analysis,
// panels, window fit, settings, the command line, files of the format reader.

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

// HOME points at `folder` while it lives; the home folder is read anew on each use.
struct HomeAt {
  QByteArray saved = qgetenv("HOME");
  explicit HomeAt(const QString& folder) { qputenv("HOME", folder.toLocal8Bit()); }
  ~HomeAt() { qputenv("HOME", saved); }
};

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

  // Panels follow the buttons (Ctrl+O as cmd_file); one about window, not
  // modal and not owned, closed with the main window.
  void panelsAndAboutWindow() {
    Window w;
    w.activate();
    w->Frame2->show();  // as after an analysis
    const auto shownAt = [&](QPoint at, QWidget* panel) {
      QWidget* hit = w->childAt(at);
      return hit == panel || panel->isAncestorOf(hit);
    };
    QVERIFY(shownAt({20, 34}, w->Frame4));  // the toolbar covers the top of the result panel
    // Visible after each click (none: Ctrl+O): Image1 Frame2 Frame3 Frame4 Frame5 Frame1
    const std::pair<QWidget*, const char*> steps[] = {
        {w->cmd_opts, "010110"},   {w->cmd_exitdatei, "010100"}, {nullptr, "001100"},     {w->cmd_close, "000100"},
        {w->lbl_status, "000101"}, {w->cmd_file, "001101"},      {w->cmd_opts, "001111"},
    };
    for (const auto& [control, visible] : steps) {
      if (control)
        QTest::mouseClick(control, Qt::LeftButton);
      else
        QTest::keyClick(w.form.get(), Qt::Key_O, Qt::ControlModifier);
      QString state;
      for (QWidget* panel :
           std::initializer_list<QWidget*>{w->Image1, w->Frame2, w->Frame3, w->Frame4, w->Frame5, w->Frame1})
        state += panel->isVisible() ? '1' : '0';
      QCOMPARE(state, QString(visible));
    }
    QVERIFY(shownAt({100, 200}, w->Frame5));  // the report-folder panel lies over the others
    const auto aboutWindows = [] {
      int found = 0;
      for (QWidget* top : QApplication::topLevelWidgets())
        found += top->inherits("kelvaron::Form2") && top->isVisible() && !top->isModal() && !top->parentWidget();
      return found;
    };
    QTest::mouseClick(w->cmd_info, Qt::LeftButton);
    QTest::mouseClick(w->cmd_info, Qt::LeftButton);
    QCOMPARE(aboutWindows(), 1);
    QTest::mouseClick(w->cmd_exit, Qt::LeftButton);
    QCOMPARE(aboutWindows(), 0);
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
    QVERIFY(w->cmd_exec->isVisible() && !w->isBusy() && !w->cmd_partname->isVisible());

    // The line chosen by click or key goes to the clipboard. Regression: a new
    // analysis set the button to " to clipboard"; it keeps its caption and copies "".
    clickRow(w->List_ASM, 2);
    QTest::keyClick(w->List_ASM, Qt::Key_Up);
    QTest::mouseClick(w->cmd_partname, Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("BOLT_M8"));
    QVERIFY(w.clickFile("top.asm.3"));
    QCOMPARE(w->cmd_partname->text(), QStringLiteral("BOLT_M8 to clipboard"));
    QTest::mouseClick(w->cmd_partname, Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), QString());

    // The report opens while it exists (removing it below proves it was
    // written); else the status line names it and the reason (Qt's off-screen
    // desktop opens nothing until a handler is set).
    const QString report = tree.reports + "/top__Kelvaron.txt";
    QTest::mouseClick(w->cmd_exec, Qt::LeftButton);
    QCOMPARE(w->lbl_status->text(), "cannot open " + report + ": no program on this desktop opens it");
    Recorder recorder;
    QDesktopServices::setUrlHandler("file", &recorder, "open");
    QTest::mouseClick(w->cmd_exec, Qt::LeftButton);
    QVERIFY(QFile::remove(report));
    QTest::mouseClick(w->cmd_exec, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler("file");
    QCOMPARE(recorder.urls, QList<QUrl>{QUrl::fromLocalFile(report)});
    QCOMPARE(w->lbl_status->text(), "cannot open " + report + ": no such file");

    // A report folder that does not exist: the reason in the status line, no cmd_exec.
    w->txt_Pfad->setText(tree.root + "nowhere");
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

  // The first run starts on the defaults, the home folder shown in the folder
  // label and the file list (regression: the label stayed empty and a scan
  // walked "/"); each list drives the next (drive, folder, files and label;
  // report folder list, its box); folders and a typed report folder survive a
  // restart (Ctrl+Q); a saved folder deleted meanwhile gives the home folder.
  void listsAndSettings() {
    Tree tree({"top.asm.3", "work/top.asm.3"});
    const QString home = tree.dir.path();
    const HomeAt at(home);
    QVERIFY(QDir().mkpath(tree.root + "gone"));
    Window first;
    QCOMPARE(QStringList({first->Drive1->drive(), first->Dir1->path(), first->lbl_Dir->text(), first->File1->path(),
                          first->Dir2->path(), first->txt_Pfad->text()}),
             QStringList({"/", home, home, home, home, home}));
    QCOMPARE(lines(first->File1), QStringList{"top.asm.3"});
    QVERIFY(first->Timer1->isActive() && !first->img_stop->isEnabled() &&
            !first->img_stop->isVisibleTo(first.form.get()));
    const QStringList drives = first->Drive1->drives();  // another drive, then back to the first
    for (const QString& drive : {drives.last(), drives.first()}) {
      first->Drive1->setDrive(drive);
      QCOMPARE(first->Dir1->path() + first->lbl_Dir->text() + first->File1->path(), drive + drive + drive);
    }
    first->Dir1->setPath(tree.root + "work");
    first->Dir2->setPath(tree.root + "gone");
    QCOMPARE(first->txt_Pfad->text(), tree.root + "gone");
    first->txt_Pfad->setText(tree.reports);  // typed, unlike Dir2
    first->combo_zeit->setEditText(QStringLiteral("07"));
    first.activate();
    QTest::keyClick(first.form.get(), Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(!first->isVisible() && first->isUnloaded());
    QVERIFY(QDir(tree.root + "gone").removeRecursively());

    Window second;
    QCOMPARE(QStringList({second->Dir1->path(), second->lbl_Dir->text(), second->Dir2->path(), second->txt_Pfad->text(),
                          second->combo_zeit->currentText()}),
             QStringList({tree.root + "work", tree.root + "work", home, tree.reports, "keine"}));
    store().setValue("Optionen/Dir1.Path", tree.root + "gone");
    Window third;
    QCOMPARE(third->Dir1->path() + ' ' + third->lbl_Dir->text(), home + ' ' + home);
    QVERIFY(first.messages.isEmpty() && second.messages.isEmpty() && third.messages.isEmpty());
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

    // The file under work/, the argument (%1: its full path), the message "no
    // assemblies !" before the analysis, whether the file exists.
    const std::tuple<QString, QString, bool, bool> cases[] = {
        {"top.asm.3", "\"%1\"", false, true},
        {"top.asm.3", "%1", false, true},
        {"TOP.ASM.3", "\"%1\"", true, true},
        {"none.asm.1", "\"%1\"", false, false},
    };
    Tree tree({"work/top.asm.3", "work/TOP.ASM.3"});
    store().setValue("Optionen/txt_Pfad.Text", tree.reports);
    for (const auto& [file, argument, message, exists] : cases) {
      const QString path = tree.root + "work/" + file;
      Window w(argument.arg(path));
      QCOMPARE(w.messages, message ? QStringList{"no assemblies !"} : QStringList{});
      QCOMPARE(w.linesAtMessage, message ? 0 : -1);
      QCOMPARE(w->lbl_File->text(), path);
      QVERIFY(!w->Image1->isVisible() && w->Frame2->isVisible() && w->Frame4->isVisible());
      QCOMPARE(w->frameGeometry().width(), 8000 / 15);
      QCOMPARE(w->List_ASM->count(), exists ? 3 : 0);
      QVERIFY2(w->lbl_status->text().startsWith(exists ? "file saved" : "cannot read "),
               qPrintable(w->lbl_status->text()));
      QCOMPARE(w->cmd_exec->isVisible(), exists);
      if (exists && !message) QCOMPARE(w->Dir1->path(), tree.root + "work");
    }
  }

  // A Creo assembly's UTF-8 names reach the list and the report as text; a
  // damaged one is listed by the marker scan, and the status line says so.
  void formatReaderFiles() {
    QFile sample(QStringLiteral(KELVARON_SAMPLES_DIR "/asm0001_pince.asm.21"));
    if (!sample.open(QIODevice::ReadOnly)) QSKIP("no samples at " KELVARON_SAMPLES_DIR);
    const QByteArray creo = sample.readAll();
    Tree tree;
    tree.file("pince.asm.21", creo);
    // The table of contents points past the cut: the whole-file scan finds the record behind it.
    tree.file("cut.asm.2", creo.left(4000) + "\n3 3 KEPT\n3 4 2\n");
    Window w;
    w.browse(tree.root, tree.reports);
    QVERIFY(w.clickFile("pince.asm.21"));
    const QString name = u"MAINTIEN_PIÈCE_V3"_qs;
    QVERIFY(lines(w->List_ASM).contains(name));
    QCOMPARE(w->lbl_status->text(), QStringLiteral("file saved"));
    QFile report(w->Pfad->text());
    QVERIFY(report.open(QIODevice::ReadOnly) && report.readAll().contains("\r\n" + name.toUtf8() + "\r\n"));
    QVERIFY(w.clickFile("cut.asm.2"));
    QCOMPARE(lines(w->List_ASM).mid(1), QStringList{"KEPT"});
    const QString status = w->lbl_status->text();
    QVERIFY2(status.startsWith("file saved; ") &&
                 status.endsWith("; the names come from the marker scan over the whole file"),
             qPrintable(status));
  }
};

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
