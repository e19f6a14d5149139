#pragma once
// The window's folder scan: the search and the analyses on the core's
// workers, off the window's thread; its progress, its stop, its summary, and
// the hour at which it starts by itself.

#include "app/fileverdict.h"

#include <QObject>
#include <QString>
#include <QTime>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace kelvaron {

/// How far a scan has come, as its progress display shows it.
struct ScanProgress {
  qint64 found = 0;     ///< files the search has found so far
  qint64 analysed = 0;  ///< files whose analysis has ended
  qint64 failures = 0;  ///< analyses that failed
  bool searching = false;
  qint64 milliseconds = 0;  ///< since the scan started
};

/// One file or folder a scan could not handle as it should, in search order.
struct ScanProblem {
  QString path;
  QString reason;   ///< a line naming the path, as the status line shows it
  QString details;  ///< the reader's detail, may be empty
  bool failed = false;  ///< no report: the file or folder could not be read, or its report not written
};

/// What a scan did.
struct ScanSummary {
  QString folder;
  qint64 files = 0;  ///< files analysed to the end (folders named like assemblies not counted)
  qint64 parts = 0;
  qint64 reports = 0;
  qint64 failures = 0;  ///< files and folders that failed
  std::vector<ScanProblem> problems;
  QStringList notes;  ///< folders named like assemblies, which were skipped
  bool stopped = false;
  qint64 milliseconds = 0;
};

class ScanController : public QObject {
  Q_OBJECT

 public:
  explicit ScanController(QObject* parent = nullptr);
  /// Stops a scan under way and waits for it.
  ~ScanController() override;

  /// Scans `folder` and all its subfolders, each assembly's report into
  /// `reportFolder`, with `jobs` workers (0: one per core). False when a scan
  /// is under way already.
  bool start(const QString& folder, const QString& reportFolder, int jobs = 0);
  /// Asks the scan to stop: the search and the analyses end within a second,
  /// a report under way is dropped; finished() follows. Returns at once.
  void stop();
  /// Stops the scan and waits for its end; finished() is not raised.
  void abandon();
  bool isRunning() const { return m_thread.joinable(); }
  bool stopRequested() const { return m_stop.load(); }
  /// The counts as they stand.
  ScanProgress progress() const;

  /// Arms the hour `hour` ("00" to "23"; "keine" disarms) for a scan of
  /// `folder`.
  void setArmedHour(const QString& hour, const QString& folder);
  const QString& armedHour() const { return m_armedHour; }
  const QString& armedFolder() const { return m_armedFolder; }
  bool isArmed() const;
  /// The clock's tick at `now`: true when the armed hour has come and the
  /// window is not `busy`; the hour is then disarmed, and the caller starts
  /// the scan of armedFolder() as it was armed. Busy, the hour waits for the
  /// first tick after the work.
  bool tick(const QTime& now, bool busy);

  /// Hooks for tests, called on the scan's threads; each is optional.
  struct Hooks {
    std::function<void(const QString& path)> found;      ///< after the search found `path`
    std::function<void(const QString& path)> analysing;  ///< before `path` is analysed
  };
  /// Set before start().
  Hooks hooks;

 Q_SIGNALS:
  void started(const QString& folder);
  /// Every tenth of a second while the scan runs, and once at its end.
  void progressed(const kelvaron::ScanProgress& progress);
  void finished(const kelvaron::ScanSummary& summary);
  void armedChanged();

 private:
  void run(quint64 id, const QString& folder, const QString& reportFolder, int jobs);
  void join();

  std::thread m_thread;
  std::atomic<bool> m_stop{false};
  std::atomic<bool> m_searching{false};
  std::atomic<qint64> m_found{0};
  std::atomic<qint64> m_analysed{0};
  std::atomic<qint64> m_failures{0};
  qint64 m_startedAt = 0;
  quint64 m_run = 0;
  QTimer m_ticker;
  QString m_armedHour;
  QString m_armedFolder;
};

}  // namespace kelvaron
