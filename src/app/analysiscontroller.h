#pragma once
// The analysis of the one file the window shows, on a thread of its own, so
// the window stays live while a large file is read.

#include "app/fileverdict.h"
#include "scan/filescan.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <memory>
#include <thread>

namespace kelvaron {

/// One file's analysis as the window shows it.
struct AnalysisResult {
  QString path;
  QString heading;    ///< the list's first line; empty when the file was no assembly
  QStringList names;  ///< the names in the order the analysis gave them
  FileOutcome outcome;
  AssemblyAnalysis analysis;
  FileVerdict verdict;
};

class AnalysisController : public QObject {
  Q_OBJECT

 public:
  explicit AnalysisController(QObject* parent = nullptr);
  /// Stops an analysis under way and waits for it.
  ~AnalysisController() override;

  /// Analyses `path` and writes its report into `reportFolder`. An analysis
  /// still under way is stopped first: its report is dropped and its result
  /// never told.
  void analyse(const QString& path, const QString& reportFolder);
  /// Stops the analysis under way, if any, and waits for it (well within a
  /// second): its report is not written and finished() is not raised.
  void stop();
  bool isRunning() const { return m_thread.joinable(); }

 Q_SIGNALS:
  void started(const QString& path);
  /// On the window's thread, once the analysis has ended (not when stopped).
  void finished(const kelvaron::AnalysisResult& result);

 private:
  void join();

  std::thread m_thread;
  std::atomic<bool> m_stop{false};
  quint64 m_run = 0;  // the analysis whose result is awaited
};

}  // namespace kelvaron
