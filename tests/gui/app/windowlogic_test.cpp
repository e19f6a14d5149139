// The window's models and controllers, without widgets: the result and
// problem tables, the word on a bad file, the folder scan with its summary
// and its stop, the armed hour, and the analysis of one file.

#include "app/analysiscontroller.h"
#include "app/problemmodel.h"
#include "app/resultmodel.h"
#include "app/scancontroller.h"
#include "appfixture.h"

#include <QAbstractItemModelTester>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <atomic>
#include <thread>

using namespace kelvaron;
using namespace kelvaron::test;
using Kind = FileVerdict::Kind;

namespace {

reader::ModelComponent component(const char* name, reader::ComponentType type, qint64 quantity, qint64 suppressed,
                                 const char* generic = "") {
  reader::ModelComponent c;
  c.name = name;
  c.type = type;
  c.quantity = quantity;
  c.suppressed = suppressed;
  c.generic = generic;
  return c;
}

// Runs `scan` on `folder` and waits for its summary.
ScanSummary scanned(ScanController& scan, const QString& folder, const QString& reports, int jobs = 0) {
  QSignalSpy finished(&scan, &ScanController::finished);
  if (!scan.start(folder, reports, jobs)) return {};
  if (!finished.wait(20000)) return {};
  return finished.first().first().value<ScanSummary>();
}

}  // namespace

Q_DECLARE_METATYPE(kelvaron::ScanSummary)
Q_DECLARE_METATYPE(kelvaron::AnalysisResult)

class WindowLogicTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() {
    qRegisterMetaType<ScanSummary>();
    qRegisterMetaType<AnalysisResult>();
  }

  // The reader's list gives the columns; the marker search's names fill only
  // the first. Both pass the model checks, also across a reset.
  void resultTable() {
    ResultModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    AssemblyAnalysis read;
    read.assembly = true;
    read.model.generation = reader::Generation::CreoTokens;
    read.model.add(component("BOLT", reader::ComponentType::Part, 4, 1));
    read.model.add(component("TOP1_", reader::ComponentType::Assembly, 1, 0, "TOP1"));
    model.setResult("the following parts are build in this assembly:", {"BOLT", "TOP1_"}, read);
    QCOMPARE(model.rowCount(), 2);
    QVERIFY(model.hasDetails());
    const auto cell = [&](int row, int column) { return model.index(row, column).data().toString(); };
    QCOMPARE(QStringList({cell(0, 0), cell(0, 1), cell(0, 2), cell(0, 3), cell(1, 1)}),
             QStringList({"BOLT", "part", "4", "1", "assembly"}));
    QVERIFY(model.index(1, 0).data(Qt::ToolTipRole).toString().contains("TOP1"));

    AssemblyAnalysis scanned = read;
    scanned.fallback = "damaged; the names come from the marker scan over the whole file";
    model.setResult("the following parts are build in this assembly:", {"A", "B", "C"}, scanned);
    QCOMPARE(model.rowCount(), 3);
    QVERIFY(!model.hasDetails());
    QCOMPARE(cell(2, 0) + cell(2, 1) + cell(2, 2), QString("C"));
    QCOMPARE(model.name(2), QString("C"));
    model.clear();
    QCOMPARE(model.rowCount() + model.heading().size(), 0);
  }

  void problemTable() {
    ProblemModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setProblems({{"/t/a.asm.1", "cannot read /t/a.asm.1: gone", {}, true},
                       {"/t/b.asm.1", "/t/b.asm.1 is empty", "", false}});
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.index(1, ProblemModel::Reason).data().toString(), QString("warning: is empty"));
    model.setProblems({});
    QCOMPARE(model.rowCount(), 0);
  }

  // What a user is told of each kind of file, naming it; the reader's own
  // words stay in the details.
  void verdicts() {
    Tree tree;
    tree.file("empty.asm", "");
    tree.file("some.asm", "bytes");
    const QString empty = tree.root + "empty.asm", some = tree.root + "some.asm";
    AssemblyAnalysis fine;
    fine.assembly = true;
    fine.partCount = 2;
    AssemblyAnalysis unreadable = fine;
    unreadable.error = "cannot read " + some + ": Permission denied";
    AssemblyAnalysis notAssembly;
    AssemblyAnalysis nothing = fine;
    nothing.partCount = 0;
    AssemblyAnalysis damaged = fine;
    damaged.model.generation = reader::Generation::CreoTokens;
    damaged.fallback = "section X lies outside the file; the names come from the marker scan over the whole file";
    AssemblyAnalysis noted = fine;
    noted.model.generation = reader::Generation::CreoTokens;
    noted.notes << "the table of contents points past the end of the file";
    // The file, its analysis, the report written or not, the kind, the start of the status, the details.
    const std::tuple<QString, AssemblyAnalysis, bool, Kind, QString, QString> cases[] = {
        {some, fine, true, Kind::Fine, "file saved", ""},
        {some, unreadable, false, Kind::NotRead, "cannot read " + some + ": Permission denied", ""},
        {some, notAssembly, false, Kind::NotRead, some + " is not read", ""},
        {empty, nothing, true, Kind::Empty, empty + " is empty", ""},
        {some, nothing, true, Kind::NoParts, some + " holds no parts", ""},
        {some, damaged, true, Kind::Damaged, some + " is damaged", damaged.fallback},
        {some, noted, true, Kind::Incomplete, some + " may be damaged", noted.notes[0]},
        {some, fine, false, Kind::Failed, "cannot write /r/some__Kelvaron.txt", ""},
    };
    for (const auto& [path, analysis, saved, kind, status, details] : cases) {
      FileOutcome outcome;
      outcome.file = path;
      if (saved) outcome.reportPath = "/r/x__Kelvaron.txt";
      if (kind == Kind::Failed) outcome.error = "cannot write /r/some__Kelvaron.txt: No space left on device";
      const FileVerdict verdict = fileVerdict(outcome, analysis);
      QCOMPARE(int(verdict.kind), int(kind));
      QVERIFY2(verdict.status.startsWith(status), qPrintable(verdict.status));
      QCOMPARE(verdict.details, details);
    }
  }

  // Every assembly once, in search order: a report each, the later of two
  // same-named ones kept; a folder named like an assembly noted and skipped;
  // an unreadable file a failure, an empty one a warning. The same with one
  // worker or two.
  void scanSummary() {
    for (const int jobs : {1, 2}) {
      Tree tree({"a.asm.1", "b.asm.1", "sub/a.asm.2", "sub/c.asm.1"});
      tree.file("e.asm.1", "");
      tree.unreadable("bad.asm.1");
      QDir().mkpath(tree.root + "old.asm.1");
      ScanController scan;
      const ScanSummary summary = scanned(scan, tree.dir.path(), tree.reports, jobs);
      QCOMPARE(summary.files, 6);
      QCOMPARE(summary.reports, 5);
      QCOMPARE(summary.failures, 1);
      QCOMPARE(summary.parts, 8);
      QVERIFY(!summary.stopped);
      QCOMPARE(tree.reportFiles(), reportsOf({"a", "b", "c", "e"}));
      QVERIFY(tree.report("a").contains(QFile::encodeName(QDir::toNativeSeparators("sub/a.asm.2"))));
      QStringList problems;
      for (const ScanProblem& p : summary.problems) problems << QFileInfo(p.path).fileName() + (p.failed ? "!" : "?");
      QCOMPARE(problems, QStringList({"bad.asm.1!", "e.asm.1?"}));
      QCOMPARE(summary.notes.size(), 1);
      const ScanProgress end = scan.progress();
      QCOMPARE(QList<qint64>({end.found, end.analysed, end.failures}), QList<qint64>({7, 7, 1}));
    }
  }

  // A stop ends the search or the analyses within a second of the request,
  // whichever runs; no report is left half written, and every report there
  // is complete.
  void stopInEitherPhase() {
    for (const bool duringSearch : {true, false}) {
      Tree tree;
      for (int i = 0; i < 200; ++i) tree.assembly(QString("d%1/f%2.asm.1").arg(i % 20).arg(i));
      ScanController scan;
      // Slow enough that the scan would take seconds without the stop.
      std::atomic<bool> searchDone{false};
      scan.hooks.found = [&](const QString&) {
        if (duringSearch) std::this_thread::sleep_for(std::chrono::milliseconds(20));
      };
      scan.hooks.analysing = [&](const QString&) {
        searchDone = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      };
      QSignalSpy finished(&scan, &ScanController::finished);
      QVERIFY(scan.start(tree.dir.path(), tree.reports, 2));
      QTRY_VERIFY(duringSearch ? scan.progress().found > 3 : !scan.progress().searching && scan.progress().analysed > 3);
      QVERIFY(scan.progress().searching == duringSearch);
      QElapsedTimer clock;
      clock.start();
      scan.stop();
      QVERIFY(finished.wait(2000));
      QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
      const ScanSummary summary = finished.first().first().value<ScanSummary>();
      QVERIFY(summary.stopped);
      QVERIFY(summary.reports < 200);
      QCOMPARE(qint64(tree.reportFiles().size()), summary.reports);
      for (const QString& name : tree.reportFiles())
        QVERIFY2(tree.report(name.chopped(14)).contains("------\r\n"), qPrintable(name));
    }
  }

  // The armed hour fires once, at its hour, when the window is not busy.
  void armedHour() {
    // The armed text, the time of the tick, busy, whether it fires.
    const std::tuple<QString, QTime, bool, bool> cases[] = {
        {"07", {7, 30, 0}, false, true}, {"07", {6, 59, 59}, false, false}, {"07", {7, 0, 0}, true, false},
        {"00", {0, 0, 1}, false, true},  {"00", {12, 0, 0}, false, false},  {"keine", {7, 0, 0}, false, false},
    };
    for (const auto& [hour, time, busy, fires] : cases) {
      ScanController scan;
      QSignalSpy changed(&scan, &ScanController::armedChanged);
      scan.setArmedHour(hour, "/cad/projects");
      QCOMPARE(scan.isArmed(), hour != "keine");
      QCOMPARE(scan.tick(time, busy), fires);
      QCOMPARE(scan.isArmed(), hour != "keine" && !fires);
      QCOMPARE(scan.tick(time, busy), false);  // once only
      QCOMPARE(changed.size(), (hour != "keine" ? 1 : 0) + (fires ? 1 : 0));
      if (fires) QCOMPARE(scan.armedFolder(), QString("/cad/projects"));
    }
  }

  // One file: its names and report; a second request replaces the first,
  // whose result is never told; a stop leaves no report.
  void oneFile() {
    Tree tree({"a.asm.1", "b.asm.1"});
    AnalysisController analysis;
    QSignalSpy finished(&analysis, &AnalysisController::finished);
    analysis.analyse(tree.root + "a.asm.1", tree.reports);
    analysis.analyse(tree.root + "b.asm.1", tree.reports);
    QVERIFY(finished.wait(5000));
    QTest::qWait(50);
    QCOMPARE(finished.size(), 1);
    const AnalysisResult result = finished.first().first().value<AnalysisResult>();
    QCOMPARE(result.path, tree.root + "b.asm.1");
    QCOMPARE(result.names, QStringList({"BOLT_M8", "NUT"}));
    QCOMPARE(result.heading, QString("the following parts are build in this assembly:"));
    QCOMPARE(result.verdict.status, QString("file saved"));
    QVERIFY(!analysis.isRunning());

    tree.file("big.asm.1", QByteArray(64 << 20, '.'));
    analysis.analyse(tree.root + "big.asm.1", tree.reports);
    analysis.stop();
    QTest::qWait(50);
    QCOMPARE(finished.size(), 1);
    QVERIFY(!tree.reportFiles().contains("big__Kelvaron.txt"));
  }
};

QTEST_GUILESS_MAIN(WindowLogicTest)
#include "windowlogic_test.moc"
