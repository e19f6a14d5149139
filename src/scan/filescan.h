#pragma once
// The analysis of one file of a scan: its list streamed to a listener and to
// its report, the report put in place only when the file was fully analysed.

#include "analysis/assemblyanalysis.h"
#include "scan/scanpipeline.h"

#include <QDate>
#include <QString>
#include <cstdint>
#include <filesystem>
#include <functional>

namespace kelvaron {

/// What became of one file.
struct FileOutcome {
  QString file;           ///< the path as given or found
  QString absolutePath;   ///< the same file as an absolute path
  bool assembly = false;  ///< the file was scanned as an assembly
  std::int64_t partCount = 0;
  QString reportPath;    ///< the report written, empty when none was
  QString error;         ///< empty, or "cannot read ..."/"cannot write ..." naming the path
  QString skipNote;      ///< a match that is a folder: why it was not analysed
  QString warning;       ///< "PATH: why" the list came from the whole-file marker scan, or empty
  bool stopped = false;  ///< a stop request ended the analysis
  bool ok() const { return error.isEmpty(); }
};

/// How every file of a scan is handled.
struct FileScanSettings {
  bool writeReports = true;
  QString reportFolder;
  QDate date;
  /// The scan's working folder, asked once: a folder tree of thousands of
  /// files would otherwise ask the system for it once per file. Empty: asked
  /// for each path.
  std::filesystem::path workingFolder;
};

/// Receives one file's list as it is read (see ListSink), then the whole
/// analysis once it has ended well, before the report is put in place.
class FileListener : public ListSink {
 public:
  virtual void analysed(const AssemblyAnalysis& analysis) { (void)analysis; }
};

/// Handles one item: a folder found by a search gets a skip note; anything
/// else is analysed, its list streamed to `listener` (optional) and to its
/// report unless reports are off. The report goes through a temporary file and
/// appears only when the file was fully analysed; `beforeCommit` (optional)
/// runs just before it is put in place. `analysis` (optional) receives the
/// analysis. Safe to call from several threads at once for different items.
FileOutcome analyseFile(const ScanItem& item, const FileScanSettings& settings, FileListener* listener,
                        const YieldHook& yield = {}, const std::function<void()>& beforeCommit = {},
                        AssemblyAnalysis* analysis = nullptr);

}  // namespace kelvaron
