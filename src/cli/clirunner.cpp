#include "cli/clirunner.h"

#include "cli/messages.h"
#include "platform/filekind.h"
#include "platform/modelnames.h"
#include "platform/nativefile.h"
#include "platform/nativepath.h"
#include "platform/shown.h"
#include "report/partsreport.h"
#include "search/batchscan.h"
#include "search/cFindFile.h"
#include "scan/scanpipeline.h"

#include <QElapsedTimer>
#include <QThread>
#include <filesystem>

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
// What files waiting for their turn may hold together, besides the file whose
// output goes out now (so a run holds at most the largest file plus this).
constexpr std::size_t kHeldBudget = std::size_t{32} << 20;

// The size of the file at `path` for the memory budget; 0 when unknown (the
// reading itself reports why).
std::size_t fileSizeOf(const QString& path) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(platform::toNativePath(path), ec);
  return ec ? 0 : static_cast<std::size_t>(size);
}

bool isTerminal(std::FILE* stream) { return stream && isatty(fileno(stream)) != 0; }

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
  // Absolute, so the paths printed (JSON's "report") do not depend on where
  // the run started.
#ifndef _WIN32  // there a path like "C:name" is relative to a drive's own folder
  std::error_code ec;
  m_settings.workingFolder = std::filesystem::current_path(ec);
  if (ec) m_settings.workingFolder.clear();
#endif
  m_settings.reportFolder =
      reportFolder.isEmpty() ? reportFolder : platform::absolutePath(reportFolder, m_settings.workingFolder);
  m_settings.date = QDate::currentDate();
}

ExitStatus CliRunner::run() {
  QElapsedTimer clock;
  clock.start();
  const int cores = std::max(m_options.jobs > 0 ? m_options.jobs : QThread::idealThreadCount(), 1);
  // The analyses start while the folders are still searched; --latest needs
  // every name first, and a list is printed as it stands.
  const auto isFolder = [](const QString& arg) { return platform::isFolder(arg); };
  const bool overlap = cores > 1 && !m_options.listOnly && !m_options.latest &&
                       std::any_of(m_options.files.begin(), m_options.files.end(), isFolder);
  if (overlap) {
    m_settings.heads = true;  // as collectItems() decides for a run with a folder
    runInParallel([this](const AddItem& add) { collect(add); }, cores);
  } else {
    const std::vector<ScanItem> items = collectItems();
    if (m_options.listOnly) {
      printList(items);
    } else if (!stopping()) {
      const int jobs = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(cores), items.size()));
      if (jobs <= 1) {
        runInOrder(items);
      } else {
        runInParallel(
            [&items](const AddItem& add) {
              for (const ScanItem& item : items) add(item);
            },
            jobs);
      }
    }
  }
  m_progress.clear();
  if (!m_out.flush() && !outputClosed()) {
    printMessage(QStringLiteral("cannot write the output: %1").arg(platform::systemErrorText(m_out.error())));
    ++m_failures;
  }
  const ExitStatus status = m_failures > 0 ? ExitStatus::Failure : ExitStatus::Success;
  // A reader that went away (`| head`) wanted no more: the run ends quietly.
  if (outputClosed()) return status;
  printSummary(static_cast<double>(clock.elapsed()) / 1000.0);
  return m_stop && m_stop->load(std::memory_order_relaxed) ? ExitStatus::Interrupted : status;
}

bool CliRunner::collect(const AddItem& add) {
  bool anyFolder = false;
  std::int64_t found = 0;
  for (const QString& arg : m_options.files) {
    if (stopping()) break;
    if (!platform::isFolder(arg)) {
      add({arg, false, {}, {}});
      continue;
    }
    anyFolder = true;
    WalkHooks hooks;
    hooks.stopRequested = [this] { return stopping(); };
    hooks.found = [&](const FoundEntry& entry) {
      add({entry.path, true, entry, {}});
      m_progress.searching(++found);
    };
    hooks.yield = [this] { return !stopping(); };
    try {
      cFindFile finder;
      for (const QString& error : collectAssemblies(finder, arg, hooks).errors) {
        printMessage(error);
        ++m_failures;
      }
    } catch (const FindFileError& e) {
      printMessage(QStringLiteral("cannot search %1: %2").arg(platform::displayPath(arg), e.description()));
      ++m_failures;
    }
  }
  return anyFolder;
}

void CliRunner::printList(const std::vector<ScanItem>& items) {
  m_progress.clear();
  m_files = static_cast<std::int64_t>(items.size());
  for (const ScanItem& item : items) {
    if (item.fromFolder) {
      if (const QString note = folderSkipNote(item.entry); !note.isEmpty()) {
        --m_files;
        ++m_skipped;
        m_out.flush();
        printMessage(note);
        continue;
      }
    }
    m_out.append(platform::shownBytes(item.path));
    m_out.append('\n');
  }
}

std::vector<ScanItem> CliRunner::collectItems() {
  std::vector<ScanItem> items;
  const bool anyFolder = collect([&items](ScanItem item) { items.push_back(std::move(item)); });
  m_settings.heads = anyFolder || m_options.files.size() > 1;
  if (!m_options.latest) return items;

  QStringList paths;
  for (const ScanItem& item : items) paths << item.path;
  const QStringList kept = latestVersions(paths);
  std::vector<ScanItem> latest;
  latest.reserve(static_cast<std::size_t>(kept.size()));
  qsizetype k = 0;  // latestVersions keeps the order
  for (const ScanItem& item : items) {
    if (k < kept.size() && item.path == kept[k]) {
      latest.push_back(item);
      ++k;
    }
  }
  return latest;
}

void CliRunner::runInOrder(const std::vector<ScanItem>& items) {
  const YieldHook yield = [this] { return !stopping(); };
  for (const ScanItem& item : items) {
    if (stopping()) break;
    if (m_outIsTerminal) m_progress.clear();
    const HandledFile outcome = handleFile(item, m_settings, m_out, m_blocks > 0, yield);
    finish(outcome);
    m_progress.analysing(m_done, static_cast<std::int64_t>(items.size()));
  }
}

void CliRunner::runInParallel(const std::function<void(const AddItem&)>& feed, int jobs) {
  // One file's printed output and what became of it, until its turn comes.
  struct Printed {
    HandledFile file;
    std::string bytes;
    bool live = false;  // its output began going straight out, ahead of the delivery
  };
  // Each file's output goes out in file order, so the others' must wait. What
  // they hold is bounded: a file that is not next is read only while the held
  // bytes stay within the budget, and its output gathers only up to a share
  // of it before the worker waits for its turn; the next file never waits.
  // So at most the largest file plus the budget is held, whatever the jobs.
  const std::size_t outputShare =
      std::clamp<std::size_t>(kHeldBudget / (4 * static_cast<std::size_t>(jobs)), std::size_t{64} << 10, kOutputChunk);
  ScanPipeline<Printed> pipeline(jobs, kHeldBudget, [this] { return stopping(); });
  const YieldHook yield = [&pipeline] { return !pipeline.stopRequested(); };

  const auto job = [&](const ScanItem& item, ScanTurn& turn) {
    Printed printed;
    // The file's size counts once the reader has opened it (its own fstat
    // gives it, saving a stat per file) and before any byte is read.
    const auto admit = [&](std::int64_t bytes) {
      turn.admit(bytes >= 0 ? static_cast<std::size_t>(bytes) : fileSizeOf(item.path));
    };
    // Past its share the output goes straight out, once this file is next.
    OutputBuffer buffer(nullptr, outputShare, [&](std::string& pending) {
      if (!turn.waitForHead()) {  // stopped: the list is not printed
        pending.clear();
        return;
      }
      // Every earlier file has been printed, and the delivery leaves m_out
      // alone until this one is done.
      if (!printed.live) {
        printed.live = true;
        if (!m_settings.json && m_settings.heads && m_blocks > 0) m_out.append('\n');
      }
      m_out.append(pending);
      pending.clear();
    });
    printed.file = handleFile(item, m_settings, buffer, false, yield, [&turn] { turn.waitForEarlier(); }, admit);
    printed.bytes = buffer.take();
    turn.keep(printed.bytes.size());
    return printed;
  };
  const auto deliver = [this](const ScanItem&, Printed&& printed) { emit(printed.file, printed.bytes, printed.live); };
  const auto idle = [&] { m_progress.analysing(m_done, pipeline.counts().found); };

  // A file whose report shares its path with an earlier file's waits for that
  // one, so the later report replaces it as in a run one file at a time.
  pipeline.run(
      [&](const ScanPipelineBase::Add& add) {
        feed([&](ScanItem item) {
          if (m_settings.writeReports) item.key = reportPath(m_settings.reportFolder, item.path);
          add(std::move(item));
        });
      },
      job, deliver, idle);
}

void CliRunner::emit(const HandledFile& outcome, const std::string& bytes, bool live) {
  if (outcome.stopped) return;  // a partial list is not printed
  if (m_outIsTerminal) m_progress.clear();
  // A live file's output began with its separator already.
  if (!live && outcome.printedBlock && m_settings.heads && m_blocks > 0) m_out.append('\n');
  m_out.append(bytes);
  finish(outcome);
}

void CliRunner::finish(const HandledFile& outcome) {
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
  Messages(m_err).say(message);
}

void CliRunner::printSummary(double seconds) {
  QString text = QStringLiteral("%1 %2, %3 parts, %4 reports written, %5 failures, %6 s")
                     .arg(m_files)
                     .arg(m_files == 1 ? QStringLiteral("file") : QStringLiteral("files"))
                     .arg(m_parts)
                     .arg(m_reports)
                     .arg(m_failures)
                     .arg(seconds, 0, 'f', 2);
  if (m_skipped > 0) text += QStringLiteral(", %1 folders skipped").arg(m_skipped);
  if (m_stop && m_stop->load(std::memory_order_relaxed)) text += QStringLiteral(", interrupted");
  printMessage(QStringLiteral("summary: ") + text);
}

}  // namespace kelvaron::cli
