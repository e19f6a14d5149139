#pragma once
// The handling of one file of a run: analysed as it streams, its list printed
// into an output buffer, its report written entry by entry.

#include "analysis/componentscan.h"
#include "cli/outputbuffer.h"
#include "search/batchscan.h"

#include <QDate>
#include <QString>
#include <cstdint>
#include <filesystem>
#include <functional>

namespace kelvaron::cli {

/// One file to handle: a FILE argument or a match of a FOLDER's search.
struct WorkItem {
  QString path;             ///< as given, or as the search found it
  bool fromFolder = false;  ///< a match of a search: a folder there is skipped
  FoundEntry entry;         ///< what the search knew of a match
};

/// What became of one file.
struct FileOutcome {
  QString file;           ///< the path as given or found
  QString absolutePath;   ///< the same file as an absolute path
  bool assembly = false;  ///< the file was scanned as an assembly
  std::int64_t partCount = 0;
  QString reportPath;         ///< the report written, empty when none was
  QString error;              ///< empty, or "cannot read ..."/"cannot write ..." naming the path
  QString skipNote;           ///< a match that is a folder: why it was not analysed
  QString warning;            ///< "PATH: why" the list came from the whole-file marker scan, or empty
  bool stopped = false;       ///< a stop request ended the analysis
  bool printedBlock = false;  ///< a text block was printed for the file
  bool ok() const { return error.isEmpty(); }
};

/// How every file of a run is handled.
struct FileJobSettings {
  bool json = false;
  bool longList = false;  ///< --long: the model's components with type and counts
  bool writeReports = true;
  bool heads = false;  ///< text blocks start with "==> FILE <=="
  QString reportFolder;
  QDate date;
  /// The run's working folder, asked once: a folder tree of thousands of
  /// files would otherwise ask the system for it once per file. Empty: asked
  /// for each path.
  std::filesystem::path workingFolder;
};

/// Handles one file: a folder found by a search gets a skip note; anything
/// else is analysed, its list appended to `out` (text or one JSON line) as the
/// names are found, and its report written unless that is switched off. The
/// report goes through a temporary file and appears only when the file was
/// fully analysed; `beforeCommit` (optional) runs just before it is put in
/// place. `separate` puts an empty line before the text block. `opening`
/// (optional) is told the file's size before any byte of it is read, -1 when
/// unknown (see ListSink::opening). Safe to call from several threads at once
/// for different files and buffers.
FileOutcome handleFile(const WorkItem& item, const FileJobSettings& settings, OutputBuffer& out, bool separate,
                       const YieldHook& yield = {}, const std::function<void()>& beforeCommit = {},
                       const std::function<void(std::int64_t bytes)>& opening = {});

/// The absolute form of `path`, with "." and ".." folded; a relative path is
/// taken from `workingFolder`, or from the current folder when that is empty.
QString absolutePathOf(const QString& path, const std::filesystem::path& workingFolder = {});

}  // namespace kelvaron::cli
