// The window's folder scan and timed start, driven on the offscreen platform
// with a fake clock and answered message boxes.

#include "app/clickablelabel.h"
#include "app/form1.h"
#include "app/form1settings.h"
#include "platform/dirlistbox.h"
#include "search/clock.h"

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

class FakeClock final : public kelvaron::Clock {
 public:
  QDateTime at = QDateTime(QDate(2024, 3, 1), QTime(7, 30, 0));
  QDateTime now() const override { return at; }
};

// A folder tree in a temporary folder; paths are given relative to its root.
struct Tree {
  QTemporaryDir dir;
  QString path(const QString& rel = {}) const { return rel.isEmpty() ? dir.path() : dir.filePath(rel); }
  void folder(const QString& rel) const { QDir().mkpath(path(rel)); }
  // An assembly in the legacy text layout; `records` more parts make it large
  // enough for the analysis to yield while it runs.
  void assembly(const QString& rel, int records = 0) const {
    QDir().mkpath(QFileInfo(path(rel)).absolutePath());
    QFile file(path(rel));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#UGC:2 ASSEMBLY 1 0\n@model_name 3 10\n3 3 BOLT_M8\n@model_type 3 9\n3 4 2\n3 3 NUT\n3 4 2\n");
    for (int i = 0; i < records; ++i) file.write(QByteArray("3 3 PART_") + QByteArray::number(i) + "\n3 4 2\n");
  }
};

// One window as the program starts it, with its timer left to the test.
struct Window {
  FakeClock clock;
  QTemporaryDir reports;
  QStringList messages;
  std::unique_ptr<Form1> form = std::make_unique<Form1>();

  explicit Window(const QString& folder = {}) {
    form->messageBoxHook = [this](const QString& text) { messages << text; };
    form->clockHook = [this] { return clock.now(); };
    form->Form_Load();
    form->Timer1->stop();
    form->txt_Pfad->setText(reports.path());
    if (!folder.isEmpty()) form->lbl_Dir->setText(folder);
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
  QStringList reportFiles() const { return QDir(reports.path()).entryList(QDir::Files, QDir::Name); }
  // Clicks the stop picture as a user does: brings the browse panel back first.
  void clickStop() const {
    QTest::mouseClick(form->cmd_file, Qt::LeftButton);
    QTest::mouseClick(form->img_stop, Qt::LeftButton);
  }
};

QStringList reportsOf(const QStringList& names) {
  QStringList files;
  for (const QString& name : names) files << name + QStringLiteral("__Kelvaron.txt");
  files.sort();
  return files;
}

}  // namespace

class Form1ScanTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  // A settings store of this test's own, apart from other tests running at the same time.
  void initTestCase() {
    QVERIFY(m_home.isValid());
    qputenv("HOME", QFile::encodeName(m_home.path()));
    QStandardPaths::setTestModeEnabled(true);
  }

  void timerTick_data() {
    QTest::addColumn<QString>("armed");
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QString>("clockText");
    QTest::addColumn<bool>("fires");
    QTest::newRow("current hour") << "07" << QTime(7, 30, 0) << "07:30:00" << true;
    QTest::newRow("last second of the hour") << "07" << QTime(7, 59, 59) << "07:59:59" << true;
    QTest::newRow("hour not yet come") << "07" << QTime(6, 59, 59) << "06:59:59" << false;
    QTest::newRow("7 without its zero") << "7" << QTime(7, 0, 0) << "07:00:00" << false;
    QTest::newRow("00 after midnight") << "00" << QTime(0, 0, 1) << "00:00:01" << true;
    QTest::newRow("00 at noon") << "00" << QTime(12, 0, 0) << "12:00:00" << false;
    QTest::newRow("12 at noon") << "12" << QTime(12, 0, 0) << "12:00:00" << true;
    QTest::newRow("evening, 24-hour clock") << "23" << QTime(23, 5, 9) << "23:05:09" << true;
    QTest::newRow("KEINE in capitals") << "KEINE" << QTime(10, 0, 0) << "10:00:00" << false;
    QTest::newRow("keine") << "keine" << QTime(10, 0, 0) << "10:00:00" << false;
    QTest::newRow("hour and a space") << "10 " << QTime(10, 0, 0) << "10:00:00" << false;
  }
  // A tick that fires disarms and scans; its scan of an empty folder shows
  // "no files found". A tick that does not fire leaves the box as it was.
  void timerTick() {
    QFETCH(QString, armed);
    QFETCH(QTime, time);
    QFETCH(QString, clockText);
    QFETCH(bool, fires);
    Tree empty;
    Window w(empty.path());
    w.clock.at.setTime(time);
    w->combo_zeit->setEditText(armed);
    w.tick();
    QCOMPARE(w->lbl_time->text(), clockText);
    QCOMPARE(w->combo_zeit->currentText(), fires ? QStringLiteral("keine") : armed);
    QCOMPARE(w.messages, fires ? QStringList{QStringLiteral("no files found")} : QStringList{});
    // One-shot: the next ticks of the same hour find the box disarmed.
    w.tick();
    QCOMPARE(w.messages.size(), fires ? 1 : 0);
  }

  // Timer1 runs the clock by itself, and keeps it running during the scan it
  // starts (the clock used to stop there: a timer is not served inside its
  // own handler).
  void timerStartsScanAndClockRuns() {
    Tree tree;
    tree.assembly(QStringLiteral("a.asm.1"));
    Window w(tree.path());
    QCOMPARE(w->Timer1->interval(), 1000);
    int clockReads = 0;
    w->clockHook = [&] {
      ++clockReads;
      return w.clock.now();
    };
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
    for (const char* trigger : {"timer tick", "cmd_verzeichnis", "file click"}) {
      QTest::addRow("%s while walking", trigger) << trigger << true;
      QTest::addRow("%s while analysing", trigger) << trigger << false;
    }
  }
  void noSecondScanDuringScan() {
    QFETCH(QString, trigger);
    QFETCH(bool, duringWalk);
    Tree tree;
    for (const char* name : {"a.asm.1", "b.asm.1", "sub/c.asm.2"}) tree.assembly(QString::fromLatin1(name));
    Window w(tree.path());
    QSignalSpy scansStarted(w->List1->model(), &QAbstractItemModel::modelReset);
    bool triggered = false;
    w->yieldHook = [&] {
      if (triggered || w.walking() != duringWalk || w->List1->count() == 0) return;
      triggered = true;
      if (trigger == QLatin1String("timer tick")) {
        w->combo_zeit->setEditText(QStringLiteral("07"));
        w.tick();
      } else if (trigger == QLatin1String("cmd_verzeichnis")) {
        w->cmd_verzeichnis->click();
      } else {
        w->File1_Click();
      }
    };
    w->cmd_verzeichnis->click();
    QVERIFY(triggered);
    QCOMPARE(scansStarted.size(), 1);
    QCOMPARE(w.list1().size(), 3);
    QCOMPARE(w.reportFiles(), reportsOf({"a", "b", "c"}));
    if (trigger == QLatin1String("timer tick")) {
      // The hour stayed armed and fires on the first tick after the scan.
      QCOMPARE(w->combo_zeit->currentText(), QStringLiteral("07"));
      w->yieldHook = {};
      w.tick();
      QCOMPARE(scansStarted.size(), 2);
      QCOMPARE(w->combo_zeit->currentText(), QStringLiteral("keine"));
    }
  }

  // Scans over one window's life: each stop ends its walk before the
  // subfolder, the found files are still analysed, "stop !" comes on odd
  // clicks only, List1 starts afresh and the count goes on.
  void stopClicksOverSeveralScans() {
    Tree tree;
    for (const char* name : {"r1.asm.1", "r2.asm.1", "sub/s1.asm.1"}) tree.assembly(QString::fromLatin1(name));
    Window w(tree.path());
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
    const QString root = tree.path() + QLatin1Char('/');
    const QStringList stopped{root + "r1.asm.1", root + "r2.asm.1"};
    const QStringList all{stopped[0], stopped[1], root + "sub/s1.asm.1"};
    struct Scan {
      int stopClicks;
      QStringList list1;
      QStringList counts;
      int messages;
      QString lblStop;
    };
    const Scan scans[] = {
      {2, stopped, {"1", "2"}, 1, "0"},
      {0, all, {"3", "4", "5"}, 1, "0"},
      {1, stopped, {"6", "7"}, 2, "1"},
    };
    for (const Scan& scan : scans) {
      QDir(w.reports.path()).removeRecursively();
      QDir().mkpath(w.reports.path());
      QStringList counts;
      int clicksLeft = scan.stopClicks;
      w->yieldHook = [&] {
        if (!w.walking() || w->List1->count() == 0) return;
        const QString status = w->lbl_status->text();
        if (counts.isEmpty() || counts.constLast() != status) counts << status;
        // Stop right after the first match of the start folder.
        for (; clicksLeft > 0; --clicksLeft) w.clickStop();
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

  void nothingFound_data() {
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<bool>("exists");
    QTest::newRow("empty folder") << QStringList{} << true;
    QTest::newRow("other files only") << QStringList{"notes.txt", "sub/part.prt.1", "sub/top.asmx"} << true;
    QTest::newRow("missing folder") << QStringList{} << false;
  }
  void nothingFound() {
    QFETCH(QStringList, files);
    QFETCH(bool, exists);
    Tree tree;
    for (const QString& file : files) tree.assembly(file);
    Window w(exists ? tree.path() : tree.path("missing"));
    w->lbl_File->setText(QStringLiteral("before"));
    w->List_ASM->addItem(QStringLiteral("before"));
    w->cmd_exec->setVisible(true);
    w->cmd_verzeichnis->click();
    QCOMPARE(w.messages, QStringList{QStringLiteral("no files found")});
    QCOMPARE(w->lbl_File->text(), QStringLiteral("before"));
    QCOMPARE(w->List_ASM->count(), 1);
    QVERIFY(w->cmd_exec->isVisibleTo(w.form.get()));
    QVERIFY(w.reportFiles().isEmpty());
    QVERIFY(!w->img_stop->isEnabled());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
  }

  // Walk order, one report per assembly; the folder named like an assembly is
  // entered but not analysed, and a file gone before its turn shows its error
  // while the others are still analysed.
  void scanWritesOneReportPerAssembly() {
    Tree tree;
    for (const char* name : {"z.asm.1", "A/a.asm", "b/B.ASM.3", "b/deep/x.asm.12", "old.asm.1/in.asm.2"})
      tree.assembly(QString::fromLatin1(name));
    tree.assembly(QStringLiteral("notes.txt"));
    Window w(tree.path());
    const QString gone = tree.path("old.asm.1/in.asm.2");
    bool waitCursor = false;
    w->yieldHook = [&] {
      if (!w.walking()) return;
      waitCursor |= QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
      if (w.list1().contains(gone)) QFile::remove(gone);
    };
    w->cmd_verzeichnis->click();
    const QString root = tree.path() + QLatin1Char('/');
    QCOMPARE(w.list1(), QStringList({root + "old.asm.1", root + "z.asm.1", root + "A/a.asm", root + "b/B.ASM.3",
                                     root + "b/deep/x.asm.12", gone}));
    QCOMPARE(w.reportFiles(), reportsOf({"z", "a", "B", "x"}));
    QFile report(QDir(w.reports.path()).filePath("x__Kelvaron.txt"));
    QVERIFY(report.open(QIODevice::ReadOnly));
    QCOMPARE(report.readLine().trimmed(), QFile::encodeName(root + "b/deep/x.asm.12"));
    QVERIFY(w->lbl_status->text().startsWith(QStringLiteral("cannot read")));
    QVERIFY(w->lbl_status->text().contains(QStringLiteral("in.asm.2")));
    QVERIFY(waitCursor);
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QVERIFY(w.messages.isEmpty());
  }

  void closeDuringScan_data() {
    QTest::addColumn<bool>("duringWalk");
    QTest::addColumn<int>("secondFileRecords");
    QTest::addColumn<QStringList>("reports");
    QTest::newRow("while walking") << true << 0 << QStringList{};
    QTest::newRow("after the second file") << false << 0 << reportsOf({"f1", "f2"});
    QTest::newRow("during the second file") << false << 200000 << reportsOf({"f1"});
  }
  // Closing ends the scan after the current file (a file being analysed
  // stops unreported) and saves the settings; no report is left half written.
  void closeDuringScan() {
    QFETCH(bool, duringWalk);
    QFETCH(int, secondFileRecords);
    QFETCH(QStringList, reports);
    Tree tree;
    for (const char* name : {"f1.asm.1", "f3.asm.1", "sub/f4.asm.1"}) tree.assembly(QString::fromLatin1(name));
    tree.assembly(QStringLiteral("f2.asm.1"), secondFileRecords);
    Window w(tree.path());
    const QString second = tree.path("f2.asm.1");
    w->yieldHook = [&] {
      if (w->isUnloaded()) return;
      if (duringWalk ? w.walking() && w->List1->count() > 0 : w->lbl_File->text() == second) w->close();
    };
    w->cmd_verzeichnis->click();
    QVERIFY(w->isUnloaded());
    QCOMPARE(w.reportFiles(), reports);
    QCOMPARE(QDir(w.reports.path()).entryList(QDir::Hidden | QDir::Files | QDir::NoDotAndDotDot).size(),
             reports.size());
    QCOMPARE(kelvaron::readSettings().txtPfad, w.reports.path());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
  }

 private:
  QTemporaryDir m_home;
};

QTEST_MAIN(Form1ScanTest)
#include "form1_scan_test.moc"
