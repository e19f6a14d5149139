#include "cli/clirunner.h"

#include "platform/filekind.h"
#include "platform/nativepath.h"
#include "report/partsreport.h"
#include "search/batchscan.h"
#include "search/cFindFile.h"

#include <QElapsedTimer>
#include <QHash>
#include <QThread>
#include <condition_variable>
#include <mutex>
#include <thread>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace kelvaron::cli {

namespace {

constexpr std::size_t kOutputChunk = 1 << 20;  // standard output is written in 1 MB pieces

bool isTerminal(std::FILE* stream) { return stream && isatty(fileno(stream)) != 0; }

// For each item, the index of the nearest earlier one whose report has the
// same path, else -1: that report must be in place first, so the later
// file's report replaces it as in a run one file at a time.
std::vector<std::ptrdiff_t> earlierSameReport(const std::vector<WorkItem>& items, const QString& folder) {
  std::vector<std::ptrdiff_t> earlier(items.size(), -1);
  QHash<QString, std::ptrdiff_t> last;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const QString target = reportPath(folder, items[i].path);
    const auto it = last.find(target);
    if (it != last.end()) earlier[i] = *it;
    last.insert(target, static_cast<std::ptrdiff_t>(i));
  }
  return earlier;
}

}  // namespace

CliRunner::CliRunner(CliOptions options, QString reportFolder, std::FILE* out, std::FILE* err)
    : m_options(std::move(options)),
      m_outStream(out),
      m_err(err),
      m_out(out, kOutputChunk),
      m_progress(err, isTerminal(err)),
      m_outIsTerminal(isTerminal(out)) {
  m_settings.json = m_options.json;
  m_settings.longList = m_options.longList;
  m_settings.writeReports = m_options.writeReports;
  m_settings.reportFolder = std::move(reportFolder);
  m_settings.date = QDate::currentDate();
}

ExitStatus CliRunner::run() {
  QElapsedTimer clock;
  clock.start();
  const std::vector<WorkItem> items = collectItems();
  if (m_options.listOnly) {
    m_progress.clear();
    m_files = static_cast<std::int64_t>(items.size());
    for (const WorkItem& item : items) {
      m_out.appendText(item.path);
      m_out.append('\n');
    }
  } else if (!stopping()) {
    const int cores = m_options.jobs > 0 ? m_options.jobs : QThread::idealThreadCount();
    const int jobs =
        static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(std::max(cores, 1)), items.size()));
    if (jobs <= 1) {
      runInOrder(items);
    } else {
      runInParallel(items, jobs);
    }
  }
  m_progress.clear();
  ExitStatus status = m_failures > 0 ? ExitStatus::Failure : ExitStatus::Success;
  if (!m_out.flush()) {
    printMessage(QStringLiteral("cannot write the output"));
    status = ExitStatus::Failure;
  }
  printSummary(static_cast<double>(clock.elapsed()) / 1000.0);
  return stopping() ? ExitStatus::Interrupted : status;
}

std::vector<WorkItem> CliRunner::collectItems() {
  std::vector<WorkItem> items;
  bool anyFolder = false;
  std::int64_t found = 0;
  for (const QString& arg : m_options.files) {
    if (stopping()) break;
    if (!platform::isFolder(arg)) {
      items.push_back({arg, false, {}});
      continue;
    }
    anyFolder = true;
    WalkHooks hooks;
    hooks.stopRequested = [this] { return stopping(); };
    hooks.found = [&](const FoundEntry& entry) {
      items.push_back({entry.path, true, entry});
      m_progress.searching(++found);
    };
    hooks.yield = [this] { return !stopping(); };
    try {
      cFindFile finder;
      collectAssemblies(finder, arg, hooks);
    } catch (const FindFileError& e) {
      printMessage(QStringLiteral("cannot search %1: %2").arg(platform::displayPath(arg), e.description()));
      ++m_failures;
    }
  }
  m_settings.heads = anyFolder || m_options.files.size() > 1;
  if (!m_options.latest) return items;

  QStringList paths;
  for (const WorkItem& item : items) paths << item.path;
  const QStringList kept = latestVersions(paths);
  std::vector<WorkItem> latest;
  latest.reserve(static_cast<std::size_t>(kept.size()));
  qsizetype k = 0;  // latestVersions keeps the order
  for (const WorkItem& item : items) {
    if (k < kept.size() && item.path == kept[k]) {
      latest.push_back(item);
      ++k;
    }
  }
  return latest;
}

void CliRunner::runInOrder(const std::vector<WorkItem>& items) {
  const YieldHook yield = [this] { return !stopping(); };
  for (const WorkItem& item : items) {
    if (stopping()) break;
    if (m_outIsTerminal) m_progress.clear();
    const FileOutcome outcome = handleFile(item, m_settings, m_out, m_blocks > 0, yield);
    finish(outcome);
    m_progress.analysing(m_done, static_cast<std::int64_t>(items.size()));
  }
}

void CliRunner::runInParallel(const std::vector<WorkItem>& items, int jobs) {
  struct Slot {
    bool done = false;
    FileOutcome outcome;
    std::string bytes;
  };
  const std::size_t n = items.size();
  std::vector<Slot> slots(n);
  std::atomic<std::size_t> next{0};
  std::mutex mutex;
  std::condition_variable reportDone;  // for a file waiting on an earlier file's report
  int reportWaiters = 0;
  int running = jobs;
  const std::vector<std::ptrdiff_t> earlier =
      m_settings.writeReports ? earlierSameReport(items, m_settings.reportFolder) : std::vector<std::ptrdiff_t>(n, -1);
  const YieldHook yield = [this] { return !stopping(); };

  auto work = [&] {
    for (;;) {
      const std::size_t i = next.fetch_add(1);
      if (i >= n || stopping()) break;
      OutputBuffer buffer(nullptr);
      const auto waitForEarlierReport = [&] {
        if (earlier[i] < 0) return;
        std::unique_lock lock(mutex);
        ++reportWaiters;
        reportDone.wait(lock, [&] { return slots[static_cast<std::size_t>(earlier[i])].done; });
        --reportWaiters;
      };
      FileOutcome outcome = handleFile(items[i], m_settings, buffer, false, yield, waitForEarlierReport);
      std::lock_guard lock(mutex);
      slots[i].outcome = std::move(outcome);
      slots[i].bytes = buffer.take();
      slots[i].done = true;
      if (reportWaiters > 0) reportDone.notify_all();
    }
    std::lock_guard lock(mutex);
    --running;
  };
  std::vector<std::thread> pool;
  pool.reserve(static_cast<std::size_t>(jobs));
  for (int j = 0; j < jobs; ++j) pool.emplace_back(work);

  // Each file's output goes out as soon as every file before it has. The
  // workers do not wake this thread for each file (thousands of small files
  // would spend more time switching than scanning); it looks every few
  // milliseconds instead.
  std::size_t emitted = 0;
  std::unique_lock lock(mutex);
  while (emitted < n) {
    while (emitted < n && slots[emitted].done) {
      Slot slot = std::move(slots[emitted]);
      slots[emitted].done = true;  // still done for a later file waiting on its report
      ++emitted;
      lock.unlock();
      emit(slot.outcome, slot.bytes);
      lock.lock();
    }
    if (emitted == n || (running == 0 && !slots[emitted].done)) break;  // all done, or stopped
    lock.unlock();
    m_progress.analysing(m_done, static_cast<std::int64_t>(n));
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    lock.lock();
  }
  lock.unlock();
  for (auto& t : pool) t.join();
}

void CliRunner::emit(const FileOutcome& outcome, const std::string& bytes) {
  if (outcome.stopped) return;  // a partial list is not printed
  if (m_outIsTerminal) m_progress.clear();
  if (outcome.printedBlock && m_settings.heads && m_blocks > 0) m_out.append('\n');
  m_out.append(bytes);
  finish(outcome);
}

void CliRunner::finish(const FileOutcome& outcome) {
  if (outcome.stopped) return;
  ++m_done;
  if (!outcome.skipNote.isEmpty()) {
    ++m_skipped;
    m_out.flush();
    printMessage(outcome.skipNote);
    return;
  }
  ++m_files;
  m_parts += outcome.partCount;
  if (!outcome.reportPath.isEmpty()) ++m_reports;
  if (outcome.printedBlock) ++m_blocks;
  if (!outcome.warning.isEmpty()) {
    m_out.flush();
    printMessage(outcome.warning);
  }
  if (!outcome.ok()) {
    ++m_failures;
    // The list goes out before the message about it, so the two read in order.
    m_out.flush();
    printMessage(outcome.error);
  }
}

void CliRunner::printMessage(const QString& message) {
  m_progress.clear();
  OutputBuffer err(m_err);
  err.append("kelvaron-cli: ");
  err.appendText(message);
  err.append('\n');
}

void CliRunner::printSummary(double seconds) {
  QString text = QStringLiteral("%1 files, %2 parts, %3 reports written, %4 failures, %5 s")
                     .arg(m_files)
                     .arg(m_parts)
                     .arg(m_reports)
                     .arg(m_failures)
                     .arg(seconds, 0, 'f', 2);
  if (m_skipped > 0) text += QStringLiteral(", %1 folders skipped").arg(m_skipped);
  if (stopping()) text += QStringLiteral(", interrupted");
  printMessage(QStringLiteral("summary: ") + text);
}

}  // namespace kelvaron::cli
