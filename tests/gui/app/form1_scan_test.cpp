// The window's folder scan, timed start, and the guard that keeps a second
// analysis or scan from starting inside a running one, driven on the
// offscreen platform with a fake clock and answered message boxes.

#include "app/form1settings.h"
#include "form1fixture.h"

#include <QAbstractItemModel>
#include <QSignalSpy>

using namespace kelvaron::test;

namespace {

// A window set to scan the tree, reporting into its report folder; its timer
// is left to the test.
struct ScanWindow : Window {
  explicit ScanWindow(const Tree& tree) {
    form->Timer1->stop();
    form->txt_Pfad->setText(tree.reports);
    form->lbl_Dir->setText(tree.dir.path());
  }
  QStringList list1() const { return lines(form->List1); }
};

}  // namespace

class Form1ScanTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { isolateSettings(); }
  void init() { store().clear(); }

  // A tick that fires disarms and scans; one that does not leaves the box as
  // it was. One-shot: the next tick of the same hour finds the box disarmed.
  // The folder holds no assembly: "no files found", and nothing else changes.
  void timerTickAndNothingFound() {
    // The armed hour, the time of the tick, whether it fires.
    const std::tuple<QString, QTime, bool> cases[] = {
        {"07", {7, 30, 0}, true}, {"07", {7, 59, 59}, true},    {"07", {6, 59, 59}, false},
        {"7", {7, 0, 0}, false},  {"00", {0, 0, 1}, true},      {"00", {12, 0, 0}, false},
        {"23", {23, 5, 9}, true}, {"KEINE", {10, 0, 0}, false}, {"10 ", {10, 0, 0}, false},
    };
    for (const auto& [armed, time, fires] : cases) {
      Tree tree({"notes.txt", "sub/part.prt.1", "sub/top.asmx"});
      ScanWindow w(tree);  // a missing folder is refused before the walk (form1_desktop_test)
      w->lbl_File->setText(QStringLiteral("before"));
      w->cmd_exec->setVisible(true);
      w.now.setTime(time);
      w->combo_zeit->setEditText(armed);
      w.tick();
      QCOMPARE(w->lbl_time->text(), time.toString("hh:mm:ss"));
      QCOMPARE(w->combo_zeit->currentText(), fires ? QStringLiteral("keine") : armed);
      w.tick();
      QCOMPARE(w.messages, fires ? QStringList{QStringLiteral("no files found")} : QStringList{});
      QCOMPARE(w->lbl_File->text(), QStringLiteral("before"));
      QVERIFY(w->cmd_exec->isVisibleTo(w.form.get()) && !w->img_stop->isEnabled() && tree.reportFiles().isEmpty());
      QCOMPARE(QApplication::overrideCursor(), nullptr);
    }
  }

  // Timer1 keeps the clock running during the scan it starts (the clock used
  // to stop there: a timer is not served inside its own handler).
  void timerStartsScanAndClockRuns() {
    Tree tree({"a.asm.1"});
    ScanWindow w(tree);
    int clockReads = 0, clockReadsWhileWalking = -1;
    w->testHooks.clock = [&] { return ++clockReads, w.now; };
    w->testHooks.yield = [&] {
      if (clockReadsWhileWalking >= 0 || !w.walking()) return;
      clockReadsWhileWalking = 0;
      const int before = clockReads;
      QTRY_VERIFY(clockReads > before);
      clockReadsWhileWalking = clockReads - before;
    };
    w->combo_zeit->setEditText(QStringLiteral("07"));
    w->Timer1->start(50);
    QTRY_COMPARE(tree.reportFiles(), reportsOf({"a"}));
    QCOMPARE(w->combo_zeit->currentText() + w->lbl_time->text(), QStringLiteral("keine07:30:00"));
    QVERIFY(clockReadsWhileWalking > 0);
  }

  // The browse panel shows other.asm.1 and big.asm.1; the scan covers scan/.
  void nothingStartsWhileBusy_data() {
    QTest::addColumn<QString>("running");
    QTest::addColumn<QString>("trigger");
    for (const char* running : {"walk", "scan analysis", "file analysis"})
      for (const char* trigger : {"timer tick", "cmd_verzeichnis", "file click"})
        QTest::addRow("%s during %s", trigger, running) << running << trigger;
  }
  void nothingStartsWhileBusy() {
    QFETCH(QString, running);
    QFETCH(QString, trigger);
    const bool fileRun = running == "file analysis";
    Tree tree({"scan/a.asm.1", "scan/b.asm.1", "scan/sub/c.asm.2", "other.asm.1"});
    tree.assembly("big.asm.1", true);
    ScanWindow w(tree);
    w.browse(tree.dir.path(), tree.reports);
    w->lbl_Dir->setText(tree.root + "scan");
    QSignalSpy scansStarted(w->List1->model(), &QAbstractItemModel::modelReset);
    bool triggered = false;
    w->testHooks.yield = [&] {
      const bool listed = w->List1->count() > 0;
      if (triggered || (fileRun ? w.walking() || listed : w.walking() != (running == "walk") || !listed)) return;
      triggered = true;
      w->combo_zeit->setEditText(QStringLiteral("07"));  // armed meanwhile, and kept armed
      if (trigger == "timer tick")
        w.tick();
      else if (trigger == "cmd_verzeichnis")
        w->cmd_verzeichnis->click();
      else
        QVERIFY(w.clickFile("other.asm.1"));
    };
    if (fileRun)
      QVERIFY(w.clickFile("big.asm.1"));
    else
      w->cmd_verzeichnis->click();
    QVERIFY(triggered);
    QCOMPARE(scansStarted.size(), fileRun ? 0 : 1);
    QCOMPARE(tree.reportFiles(), fileRun ? reportsOf({"big"}) : reportsOf({"a", "b", "c"}));
    // Once it is over, the armed hour fires.
    QCOMPARE(w->combo_zeit->currentText(), QStringLiteral("07"));
    w->testHooks.yield = {};
    w.tick();
    QCOMPARE(scansStarted.size(), fileRun ? 1 : 2);
  }

  // Scans over one window's life: each stop (a click on the stop picture, or
  // Esc) ends its walk before the subfolder, the found files are still
  // analysed, "stop !" comes on odd stops only, List1 starts afresh and the
  // count goes on. Esc with no scan running does nothing.
  void stopsOverSeveralScans() {
    Tree tree({"r1.asm.1", "r2.asm.1", "sub/s1.asm.1"});
    ScanWindow w(tree);
    w.activate();
    // After each scan: List1 below the tree, the counts the status line showed, lbl_stop, the messages.
    const std::pair<int, QStringList> scans[] = {
        // clicks on the stop picture; -1: Esc
        {2, {"r1.asm.1 r2.asm.1", "1 2", "0", "stop !"}},
        {0, {"r1.asm.1 r2.asm.1 sub/s1.asm.1", "3 4 5", "0", "stop !"}},
        {-1, {"r1.asm.1 r2.asm.1", "6 7", "1", "stop !|stop !"}},
    };
    for (const auto& [stops, expected] : scans) {
      QVERIFY(QDir(tree.reports).removeRecursively() && QDir().mkpath(tree.reports));
      QStringList counts;
      int stopsLeft = stops;
      w->testHooks.yield = [&] {
        if (!w.walking() || w->List1->count() == 0) return;
        if (counts.isEmpty() || counts.constLast() != w->lbl_status->text()) counts << w->lbl_status->text();
        // Right after the first match of the start folder, as a user does:
        // bring the browse panel back, click the stop picture.
        for (; stopsLeft > 0; --stopsLeft) {
          QTest::mouseClick(w->cmd_file, Qt::LeftButton);
          QTest::mouseClick(w->img_stop, Qt::LeftButton);
        }
        if (stopsLeft < 0 && ++stopsLeft == 0) QTest::keyClick(w.form.get(), Qt::Key_Escape);
      };
      w->cmd_verzeichnis->click();
      QCOMPARE(QStringList({w.list1().join(' ').remove(tree.root), counts.join(' '), w->lbl_stop->text(),
                            w.messages.join('|')}),
               expected);
      QCOMPARE(tree.reportFiles(), reportsOf(stops ? QStringList{"r1", "r2"} : QStringList{"r1", "r2", "s1"}));
      QVERIFY(!w->img_stop->isVisible() && !w->img_stop->isEnabled());
    }
    QTest::keyClick(w.form.get(), Qt::Key_Escape);
    QCOMPARE(w->lbl_stop->text() + w.messages.join('|'), QStringLiteral("1stop !|stop !"));
  }

  // One report per assembly, under the wait cursor; a folder named like an
  // assembly is entered but not analysed, and a file gone before its turn
  // shows its error while the others are still analysed.
  void scanWritesOneReportPerAssembly() {
    Tree tree({"z.asm.1", "y.asm.1", "old.asm.1/in.asm.2"});
    ScanWindow w(tree);
    const QString gone = tree.root + "y.asm.1";
    bool waitCursor = false;
    QStringList errors;  // seen between the files
    w->testHooks.yield = [&] {
      const QString status = w->lbl_status->text();
      if (!w.walking() && status.startsWith("cannot") && !errors.contains(status)) errors << status;
      waitCursor |=
          w.walking() && QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
      if (w.walking() && w.list1().contains(gone)) QFile::remove(gone);
    };
    w->cmd_verzeichnis->click();
    QCOMPARE(tree.reportFiles(), reportsOf({"z", "in"}));
    QVERIFY2(errors.size() == 1 && errors[0].startsWith("cannot read " + gone + ": "), qPrintable(errors.join('|')));
    QVERIFY(waitCursor && w.messages.isEmpty());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
  }

  // Closing ends a scan after the current file and a single analysis at once
  // (a file being analysed stops unreported), and saves the settings; no
  // report is left half written.
  void closeDuringARun() {
    // A scan or a file click, f2 large, closed during the walk (else once f2 is being analysed), the reports left.
    const std::tuple<bool, bool, bool, QStringList> cases[] = {
        {true, false, true, {}},
        {true, false, false, reportsOf({"f1", "f2"})},  // a small file: closed after it
        {true, true, false, reportsOf({"f1"})},
        {false, true, false, {}},  // f2 clicked in the browse panel
    };
    for (const auto& [scan, largeSecondFile, duringWalk, reports] : cases) {
      Tree tree({"f1.asm.1", "f3.asm.1", "sub/f4.asm.1"});
      tree.assembly("f2.asm.1", largeSecondFile);
      ScanWindow w(tree);
      w->testHooks.yield = [&, duringWalk = duringWalk] {
        if (!w->isUnloaded() &&
            (duringWalk ? w.walking() && w->List1->count() > 0 : w->lbl_File->text() == tree.root + "f2.asm.1"))
          w->close();
      };
      if (scan) {
        w->cmd_verzeichnis->click();
      } else {
        w.browse(tree.dir.path(), tree.reports);
        QVERIFY(w.clickFile("f2.asm.1"));
      }
      QVERIFY(w->isUnloaded());
      QCOMPARE(tree.reportFiles(), reports);
      QCOMPARE(kelvaron::readSettings().txtPfad, tree.reports);
      QCOMPARE(QApplication::overrideCursor(), nullptr);
    }
  }
};

QTEST_MAIN(Form1ScanTest)
#include "form1_scan_test.moc"
