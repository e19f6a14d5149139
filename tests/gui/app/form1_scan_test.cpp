// The window's folder scan and timed start, driven on the offscreen platform
// with a fake clock and answered message boxes.

#include "app/clickablelabel.h"
#include "app/form1.h"
#include "app/form1settings.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

using kelvaron::Form1;

namespace {

// A folder tree in a temporary folder holding the assemblies `names`; an
// assembly given `records` more parts is large enough to yield while analysed.
struct Tree {
  QTemporaryDir dir;
  QString root = dir.path() + '/';
  explicit Tree(const QStringList& names = {}) {
    for (const QString& name : names) assembly(name);
  }
  void assembly(const QString& rel, int records = 0) const {
    QDir().mkpath(QFileInfo(root + rel).absolutePath());
    QFile file(root + rel);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#UGC:2 ASSEMBLY 1 0\n@model_name 3 10\n3 3 BOLT_M8\n@model_type 3 9\n3 4 2\n3 3 NUT\n3 4 2\n");
    for (int i = 0; i < records; ++i) file.write("3 3 PART_" + QByteArray::number(i) + "\n3 4 2\n");
  }
};

// One window as the program starts it, showing `folder`, its timer and clock
// left to the test.
struct Window {
  QDateTime now = QDateTime(QDate(2024, 3, 1), QTime(7, 30, 0));
  QTemporaryDir reports;
  QStringList messages;
  std::unique_ptr<Form1> form = std::make_unique<Form1>();

  explicit Window(const QString& folder) {
    form->messageBoxHook = [this](const QString& text) { messages << text; };
    form->clockHook = [this] { return now; };
    form->Form_Load();
    form->Timer1->stop();
    form->txt_Pfad->setText(reports.path());
    form->lbl_Dir->setText(folder);
  }
  Form1* operator->() const { return form.get(); }
  bool walking() const { return form->img_stop->isEnabled(); }
  QStringList list1() const {
    QStringList lines;
    for (int i = 0; i < form->List1->count(); ++i) lines << form->List1->item(i)->text();
    return lines;
  }
  // One tick of Timer1; a scan it arms starts as soon as the tick is over.
  void tick() const {
    form->Timer1_Timer();
    QCoreApplication::processEvents();
  }
  QStringList reportFiles() const { return QDir(reports.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }
};

QStringList reportsOf(QStringList names) {
  for (QString& name : names) name += QStringLiteral("__Kelvaron.txt");
  names.sort();
  return names;
}

}  // namespace

class Form1ScanTest : public QObject {
  Q_OBJECT

  QTemporaryDir m_home;

 private Q_SLOTS:
  // A settings store of this test's own, apart from other tests running at the same time.
  void initTestCase() {
    qputenv("HOME", QFile::encodeName(m_home.path()));
    QStandardPaths::setTestModeEnabled(true);
  }

  // A tick that fires disarms and scans (an empty folder: "no files found");
  // one that does not leaves the box as it was. One-shot: the next tick of
  // the same hour finds the box disarmed.
  void timerTick() {
    const struct {
      QString armed;
      QTime time;
      bool fires;
    } cases[] = {
        {"07", {7, 30, 0}, true},   {"07", {7, 59, 59}, true},  {"07", {6, 59, 59}, false},
        {"7", {7, 0, 0}, false},    {"00", {0, 0, 1}, true},    {"00", {12, 0, 0}, false},
        {"23", {23, 5, 9}, true},   {"KEINE", {10, 0, 0}, false}, {"10 ", {10, 0, 0}, false},
    };
    for (const auto& c : cases) {
      Tree empty;
      Window w(empty.dir.path());
      w.now.setTime(c.time);
      w->combo_zeit->setEditText(c.armed);
      w.tick();
      QCOMPARE(w->lbl_time->text(), c.time.toString("hh:mm:ss"));
      QCOMPARE(w->combo_zeit->currentText(), c.fires ? QStringLiteral("keine") : c.armed);
      w.tick();
      QCOMPARE(w.messages, c.fires ? QStringList{QStringLiteral("no files found")} : QStringList{});
    }
  }

  // Timer1 keeps the clock running during the scan it starts (the clock used
  // to stop there: a timer is not served inside its own handler).
  void timerStartsScanAndClockRuns() {
    Tree tree({"a.asm.1"});
    Window w(tree.dir.path());
    QCOMPARE(w->Timer1->interval(), 1000);
    int clockReads = 0;
    w->clockHook = [&] { return ++clockReads, w.now; };
    int clockReadsWhileWalking = -1;
    w->yieldHook = [&] {
      if (clockReadsWhileWalking >= 0 || !w.walking()) return;
      clockReadsWhileWalking = 0;
      const int before = clockReads;
      QTRY_VERIFY(clockReads > before);
      clockReadsWhileWalking = clockReads - before;
    };
    w->combo_zeit->setEditText(QStringLiteral("07"));
    w->Timer1->start(50);
    QTRY_COMPARE(w.reportFiles(), reportsOf({"a"}));
    QCOMPARE(w->combo_zeit->currentText(), QStringLiteral("keine"));
    QCOMPARE(w->lbl_time->text(), QStringLiteral("07:30:00"));
    QVERIFY(clockReadsWhileWalking > 0);
  }

  void noSecondScanDuringScan_data() {
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<bool>("duringWalk");
    for (const char* trigger : {"timer tick", "cmd_verzeichnis", "file click"})
      for (bool walk : {true, false}) QTest::addRow("%s while %s", trigger, walk ? "walking" : "analysing") << trigger << walk;
  }
  void noSecondScanDuringScan() {
    QFETCH(QString, trigger);
    QFETCH(bool, duringWalk);
    Tree tree({"a.asm.1", "b.asm.1", "sub/c.asm.2"});
    Window w(tree.dir.path());
    QSignalSpy scansStarted(w->List1->model(), &QAbstractItemModel::modelReset);
    bool triggered = false;
    w->yieldHook = [&] {
      if (triggered || w.walking() != duringWalk || w->List1->count() == 0) return;
      triggered = true;
      if (trigger == "timer tick") {
        w->combo_zeit->setEditText(QStringLiteral("07"));
        w.tick();
      } else if (trigger == "cmd_verzeichnis") {
        w->cmd_verzeichnis->click();
      } else {
        w->File1_Click();
      }
    };
    w->cmd_verzeichnis->click();
    QVERIFY(triggered);
    QCOMPARE(scansStarted.size(), 1);
    QCOMPARE(w.reportFiles(), reportsOf({"a", "b", "c"}));
    if (trigger == "timer tick") {
      // The hour stayed armed and fires on the first tick after the scan.
      QCOMPARE(w->combo_zeit->currentText(), QStringLiteral("07"));
      w->yieldHook = {};
      w.tick();
      QCOMPARE(scansStarted.size(), 2);
    }
  }

  // Scans over one window's life: each stop ends its walk before the
  // subfolder, the found files are still analysed, "stop !" comes on odd
  // clicks only, List1 starts afresh and the count goes on.
  void stopClicksOverSeveralScans() {
    Tree tree({"r1.asm.1", "r2.asm.1", "sub/s1.asm.1"});
    Window w(tree.dir.path());
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
    const QStringList stopped{tree.root + "r1.asm.1", tree.root + "r2.asm.1"};
    const struct {
      int stopClicks;
      QStringList list1, counts;
      int messages;
      QString lblStop;
    } scans[] = {
        {2, stopped, {"1", "2"}, 1, "0"},
        {0, stopped + QStringList{tree.root + "sub/s1.asm.1"}, {"3", "4", "5"}, 1, "0"},
        {1, stopped, {"6", "7"}, 2, "1"},
    };
    for (const auto& scan : scans) {
      QDir(w.reports.path()).removeRecursively();
      QDir().mkpath(w.reports.path());
      QStringList counts;
      int clicksLeft = scan.stopClicks;
      w->yieldHook = [&] {
        if (!w.walking() || w->List1->count() == 0) return;
        if (counts.isEmpty() || counts.constLast() != w->lbl_status->text()) counts << w->lbl_status->text();
        // Right after the first match of the start folder, as a user does:
        // bring the browse panel back, click the stop picture.
        for (; clicksLeft > 0; --clicksLeft) {
          QTest::mouseClick(w->cmd_file, Qt::LeftButton);
          QTest::mouseClick(w->img_stop, Qt::LeftButton);
        }
      };
      w->cmd_verzeichnis->click();
      QCOMPARE(w.list1(), scan.list1);
      QCOMPARE(counts, scan.counts);
      QCOMPARE(w.messages.size(), scan.messages);
      QCOMPARE(w->lbl_stop->text(), scan.lblStop);
      QCOMPARE(w.reportFiles(), reportsOf(scan.stopClicks ? QStringList{"r1", "r2"} : QStringList{"r1", "r2", "s1"}));
      QVERIFY(!w->img_stop->isVisible() && !w->img_stop->isEnabled());
    }
    QCOMPARE(w.messages, QStringList(2, QStringLiteral("stop !")));
  }

  void nothingFoundChangesNothing() {
    Tree tree({"notes.txt", "sub/part.prt.1", "sub/top.asmx"});
    for (const QString& folder : {tree.dir.path(), tree.root + "missing"}) {
      Window w(folder);
      w->lbl_File->setText(QStringLiteral("before"));
      w->List_ASM->addItem(QStringLiteral("before"));
      w->cmd_exec->setVisible(true);
      w->cmd_verzeichnis->click();
      QCOMPARE(w.messages, QStringList{QStringLiteral("no files found")});
      QCOMPARE(w->lbl_File->text() + w->List_ASM->item(0)->text(), QStringLiteral("beforebefore"));
      QVERIFY(w->cmd_exec->isVisibleTo(w.form.get()) && !w->img_stop->isEnabled());
      QVERIFY(w.reportFiles().isEmpty());
      QCOMPARE(QApplication::overrideCursor(), nullptr);
    }
  }

  // Walk order, one report per assembly; the folder named like an assembly is
  // entered but not analysed, and a file gone before its turn shows its error
  // while the others are still analysed.
  void scanWritesOneReportPerAssembly() {
    Tree tree({"z.asm.1", "A/a.asm", "b/B.ASM.3", "b/deep/x.asm.12", "old.asm.1/in.asm.2", "notes.txt"});
    Window w(tree.dir.path());
    const QString gone = tree.root + "old.asm.1/in.asm.2";
    bool waitCursor = false;
    w->yieldHook = [&] {
      if (!w.walking()) return;
      waitCursor |= QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
      if (w.list1().contains(gone)) QFile::remove(gone);
    };
    w->cmd_verzeichnis->click();
    QCOMPARE(w.list1(), QStringList({tree.root + "old.asm.1", tree.root + "z.asm.1", tree.root + "A/a.asm",
                                     tree.root + "b/B.ASM.3", tree.root + "b/deep/x.asm.12", gone}));
    QCOMPARE(w.reportFiles(), reportsOf({"z", "a", "B", "x"}));
    QFile report(QDir(w.reports.path()).filePath("x__Kelvaron.txt"));
    QVERIFY(report.open(QIODevice::ReadOnly));
    QCOMPARE(report.readLine().trimmed(), QFile::encodeName(tree.root + "b/deep/x.asm.12"));
    QVERIFY(w->lbl_status->text().startsWith(QStringLiteral("cannot read")));
    QVERIFY(w->lbl_status->text().contains(QStringLiteral("in.asm.2")));
    QVERIFY(waitCursor);
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QVERIFY(w.messages.isEmpty());
  }

  // Closing ends the scan after the current file (a file being analysed
  // stops unreported) and saves the settings; no report is left half written.
  void closeDuringScan() {
    const struct {
      bool duringWalk;
      int secondFileRecords;
      QStringList reports;
    } cases[] = {
        {true, 0, {}},                                  // while walking
        {false, 0, reportsOf({"f1", "f2"})},            // after the second file
        {false, 200000, reportsOf({"f1"})},             // during the second file
    };
    for (const auto& c : cases) {
      Tree tree({"f1.asm.1", "f3.asm.1", "sub/f4.asm.1"});
      tree.assembly("f2.asm.1", c.secondFileRecords);
      Window w(tree.dir.path());
      w->yieldHook = [&] {
        if (w->isUnloaded()) return;
        if (c.duringWalk ? w.walking() && w->List1->count() > 0 : w->lbl_File->text() == tree.root + "f2.asm.1")
          w->close();
      };
      w->cmd_verzeichnis->click();
      QVERIFY(w->isUnloaded());
      QCOMPARE(w.reportFiles(), c.reports);
      QCOMPARE(kelvaron::readSettings().txtPfad, w.reports.path());
      QCOMPARE(QApplication::overrideCursor(), nullptr);
    }
  }
};

QTEST_MAIN(Form1ScanTest)
#include "form1_scan_test.moc"
