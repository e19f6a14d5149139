// Runs the window's folder scan without the window: the same controller, its
// workers and its summary, on an event loop of its own. For the benchmarks,
// which compare it with kelvaron-cli on the same tree.
//   kelvaron-scan-driver [--stop-after MS] FOLDER REPORT_FOLDER
// Prints the summary line; with --stop-after, the stop is asked for MS
// milliseconds after the start, as a click would, and a second line tells the
// phase it came in and how long the scan took to end after it. Exit status 0
// when nothing failed, 1 otherwise, 2 on a usage error.

#include "app/problemmodel.h"
#include "app/scancontroller.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>
#include <QTimer>

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  QStringList args = QCoreApplication::arguments().mid(1);
  QTextStream err(stderr);
  int stopAfter = -1;
  if (args.size() == 4 && args[0] == QLatin1String("--stop-after")) {
    stopAfter = args[1].toInt();
    args = args.mid(2);
  }
  if (args.size() != 2) {
    err << "usage: kelvaron-scan-driver [--stop-after MS] FOLDER REPORT_FOLDER\n";
    return 2;
  }
  kelvaron::ScanController scan;
  int status = 0;
  QElapsedTimer sinceStop;
  QString phase;
  QObject::connect(&scan, &kelvaron::ScanController::finished, &app, [&](const kelvaron::ScanSummary& summary) {
    QTextStream out(stdout);
    out << kelvaron::summaryText(summary) << '\n';
    if (sinceStop.isValid())
      out << "stopped while " << phase << ", ended " << sinceStop.elapsed() << " ms after the stop\n";
    for (const kelvaron::ScanProblem& problem : summary.problems) err << problem.reason << '\n';
    status = summary.failures > 0 ? 1 : 0;
    app.quit();
  });
  if (stopAfter >= 0) {
    QTimer::singleShot(stopAfter, &app, [&] {
      phase = scan.progress().searching ? QStringLiteral("searching") : QStringLiteral("analysing");
      sinceStop.start();
      scan.stop();
    });
  }
  if (!scan.start(args[0], args[1])) return 2;
  app.exec();
  return status;
}
