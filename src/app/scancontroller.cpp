#include "app/scancontroller.h"

#include "app/clock.h"
#include "platform/nativepath.h"
#include "report/partsreport.h"
#include "scan/scanpipeline.h"
#include "search/cFindFile.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QThread>

namespace kelvaron {

namespace {

// The window keeps no output per file, so nothing counts against the budget.
constexpr std::size_t kHeldBudget = std::size_t{8} << 20;

struct Analysed {
  FileOutcome outcome;
  FileVerdict verdict;
};

}  // namespace

ScanController::ScanController(QObject* parent)
    : QObject(parent), m_armedHour(QString::fromLatin1(kUnarmed)) {
  m_ticker.setInterval(100);
  connect(&m_ticker, &QTimer::timeout, this, [this] { Q_EMIT progressed(progress()); });
}

ScanController::~ScanController() { abandon(); }

bool ScanController::start(const QString& folder, const QString& reportFolder, int jobs) {
  if (isRunning()) return false;
  m_stop = false;
  m_searching = true;
  m_found = 0;
  m_analysed = 0;
  m_failures = 0;
  m_startedAt = QDateTime::currentMSecsSinceEpoch();
  ++m_run;
  Q_EMIT started(folder);
  m_thread = std::thread([this, folder, reportFolder, jobs, id = m_run] { run(id, folder, reportFolder, jobs); });
  m_ticker.start();
  return true;
}

void ScanController::stop() { m_stop = true; }

void ScanController::abandon() {
  ++m_run;
  m_stop = true;
  join();
  m_ticker.stop();
}

void ScanController::join() {
  if (m_thread.joinable()) m_thread.join();
}

ScanProgress ScanController::progress() const {
  return {m_found.load(), m_analysed.load(), m_failures.load(), m_searching.load(),
          isRunning() ? QDateTime::currentMSecsSinceEpoch() - m_startedAt : 0};
}

void ScanController::run(quint64 id, const QString& folder, const QString& reportFolder, int jobs) {
  QElapsedTimer clock;
  clock.start();
  auto summary = std::make_shared<ScanSummary>();
  summary->folder = folder;
  FileScanSettings settings;
  settings.reportFolder = reportFolder;
  settings.date = QDate::currentDate();
  const auto stopping = [this] { return m_stop.load(std::memory_order_relaxed); };
  ScanPipeline<Analysed> pipeline(jobs > 0 ? jobs : std::max(QThread::idealThreadCount(), 1), kHeldBudget, stopping);

  const auto feed = [&](const ScanPipelineBase::Add& add) {
    WalkHooks walk;
    walk.stopRequested = stopping;
    walk.found = [&](const FoundEntry& entry) {
      // Of two same-named assemblies the later one's report stays.
      add({entry.path, true, entry, reportPath(reportFolder, entry.path)});
      ++m_found;
      if (hooks.found) hooks.found(entry.path);
    };
    walk.yield = [&] { return !stopping(); };
    try {
      cFindFile finder;
      for (const QString& error : collectAssemblies(finder, folder, walk).errors) {
        summary->problems.push_back({folder, error, {}, true});
        ++summary->failures;
      }
    } catch (const FindFileError& e) {
      summary->problems.push_back(
          {folder, QStringLiteral("cannot search %1: %2").arg(platform::displayPath(folder), e.description()), {}, true});
      ++summary->failures;
    }
    m_searching = false;
  };
  const auto job = [&](const ScanItem& item, ScanTurn& turn) {
    Analysed done;
    if (hooks.analysing) hooks.analysing(item.path);
    AssemblyAnalysis analysis;
    done.outcome = analyseFile(item, settings, nullptr, [&turn] { return turn.goOn(); },
                               [&turn] { turn.waitForEarlier(); }, &analysis);
    if (done.outcome.skipNote.isEmpty() && !done.outcome.stopped) {
      done.verdict = fileVerdict(done.outcome, analysis);
      if (!done.outcome.ok()) {
        turn.setFailed();
        ++m_failures;
      }
    }
    ++m_analysed;
    return done;
  };
  const auto deliver = [&](const ScanItem& item, Analysed&& done) {
    const FileOutcome& outcome = done.outcome;
    if (outcome.stopped) return;
    if (!outcome.skipNote.isEmpty()) {
      summary->notes << outcome.skipNote;
      return;
    }
    ++summary->files;
    summary->parts += outcome.partCount;
    if (!outcome.reportPath.isEmpty()) ++summary->reports;
    if (!outcome.ok()) ++summary->failures;
    if (!outcome.ok() || done.verdict.bad())
      summary->problems.push_back({item.path, done.verdict.status, done.verdict.details, !outcome.ok()});
  };
  pipeline.run(feed, job, deliver);
  m_searching = false;
  summary->stopped = m_stop.load();
  summary->milliseconds = clock.elapsed();
  QMetaObject::invokeMethod(
      this,
      [this, id, summary] {
        if (id != m_run) return;  // abandoned
        join();
        m_ticker.stop();
        Q_EMIT progressed(progress());
        Q_EMIT finished(*summary);
      },
      Qt::QueuedConnection);
}

void ScanController::setArmedHour(const QString& hour, const QString& folder) {
  const bool unarmed = hour == QLatin1String(kUnarmed);
  const QString armedFolder = unarmed ? QString() : folder;
  if (hour == m_armedHour && armedFolder == m_armedFolder) return;
  m_armedHour = hour;
  m_armedFolder = armedFolder;
  Q_EMIT armedChanged();
}

bool ScanController::isArmed() const { return m_armedHour != QLatin1String(kUnarmed); }

bool ScanController::tick(const QTime& now, bool busy) {
  if (busy || isRunning() || !isArmedHour(m_armedHour, now)) return false;
  m_armedHour = QString::fromLatin1(kUnarmed);
  Q_EMIT armedChanged();
  return true;
}

}  // namespace kelvaron
