#pragma once
// One run of kelvaron-cli: every FILE and every match of every FOLDER, in
// order, analysed, reported and printed, several files at once.

#include "cli/clioptions.h"
#include "cli/exitstatus.h"
#include "cli/filejob.h"
#include "cli/outputbuffer.h"
#include "cli/progress.h"

#include <QDate>
#include <QString>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <functional>
#include <vector>

namespace kelvaron::cli {

class CliRunner {
 public:
  /// `reportFolder` is where reports go (ignored with --no-report). Output goes
  /// to `out`, messages, progress and the summary to `err`; neither is owned.
  CliRunner(CliOptions options, QString reportFolder, std::FILE* out, std::FILE* err);

  /// A flag that, once set, stops the search and the analyses within a
  /// second; reports of files not fully analysed are dropped. Not owned.
  void setStopFlag(const std::atomic<bool>* stop) { m_stop = stop; }

  /// Handles every argument in order and returns the exit status: Success
  /// when every file was analysed and its report written, Failure when any
  /// failed, Interrupted when stopped. Ends with a summary line on `err`.
  ExitStatus run();

 private:
  using AddItem = std::function<void(ScanItem)>;
  // Hands every file of the arguments to `add`, in order; true when any
  // argument was a folder.
  bool collect(const AddItem& add);
  std::vector<ScanItem> collectItems();
  void printList(const std::vector<ScanItem>& items);
  void runInOrder(const std::vector<ScanItem>& items);
  // `feed` hands the items to its argument, in order, on the calling thread;
  // the analyses start while it still runs.
  void runInParallel(const std::function<void(const AddItem&)>& feed, int jobs);
  void emit(const HandledFile& outcome, const std::string& bytes, bool live);
  void finish(const HandledFile& outcome);
  void printMessage(const QString& message);
  void printSummary(double seconds);
  bool stopping() const { return (m_stop && m_stop->load(std::memory_order_relaxed)) || outputClosed(); }
  // Standard output is a pipe whose reader has gone.
  bool outputClosed() const { return m_out.error() == EPIPE; }

  CliOptions m_options;
  FileJobSettings m_settings;
  std::FILE* m_outStream;
  std::FILE* m_err;
  OutputBuffer m_out;
  ProgressBar m_progress;
  const std::atomic<bool>* m_stop = nullptr;
  bool m_outIsTerminal = false;
  std::int64_t m_blocks = 0;  // text blocks printed so far
  std::int64_t m_files = 0;
  std::int64_t m_parts = 0;
  std::int64_t m_reports = 0;
  std::int64_t m_failures = 0;
  std::int64_t m_skipped = 0;
  std::int64_t m_done = 0;  // files finished, skipped ones included
};

}  // namespace kelvaron::cli
