#pragma once
// The printing of one file of a run: its list into an output buffer as the
// names stream in, around the scan's own handling of the file.

#include "cli/outputbuffer.h"
#include "scan/filescan.h"

#include <cstdint>
#include <functional>

namespace kelvaron::cli {

/// How every file of a run is handled and printed.
struct FileJobSettings : FileScanSettings {
  bool json = false;
  bool longList = false;  ///< --long: the model's components with type and counts
  bool heads = false;     ///< text blocks start with "==> FILE <=="
};

/// What became of one file, and whether a text block was printed for it.
struct HandledFile : FileOutcome {
  bool printedBlock = false;
};

/// Handles one file as analyseFile() does, its list appended to `out` (text
/// or one JSON line) as the names are found. `separate` puts an empty line
/// before the text block. `opening` (optional) is told the file's size before
/// any byte of it is read, -1 when unknown (see ListSink::opening). Safe to
/// call from several threads at once for different files and buffers.
HandledFile handleFile(const ScanItem& item, const FileJobSettings& settings, OutputBuffer& out, bool separate,
                       const YieldHook& yield = {}, const std::function<void()>& beforeCommit = {},
                       const std::function<void(std::int64_t bytes)>& opening = {});

}  // namespace kelvaron::cli
