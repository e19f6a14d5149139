#pragma once
// The analysis of one assembly file: read it, check its extension, list its
// parts. The one owner of the result list's layout: the heading line, then
// the names.

#include "analysis/componentscan.h"
#include "platform/pathhelpers.h"
#include "reader/assemblymodel.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <string_view>

namespace kelvaron {

/// What the analysis of one file found.
struct AssemblyAnalysis {
  QString path;                ///< the file as given
  bool assembly = false;       ///< the extension is ".asm" or ".ASM": the file was scanned
  std::int64_t partCount = 0;  ///< how many components were found
  QString error;               ///< empty, or "cannot read PATH: reason"
  bool stopped = false;        ///< the sink or the yield hook asked to stop: no result to report
  /// What the format reader found; generation Unknown when the file was not
  /// an assembly by name or its layout is not known.
  reader::AssemblyModel model;
  /// The reader's notes, and the fallback's when there was one.
  QStringList notes;
  /// The layout was recognised but could not be read, so the names come from
  /// the marker scan over the whole file: why, for stderr or a status line.
  QString fallback;

  bool ok() const { return error.isEmpty() && !stopped; }
};

/// Receives the result list of one file as the window shows it, the CLI
/// prints it and the report writes it.
class ListSink {
 public:
  virtual ~ListSink() = default;
  /// The heading line, once the file is known to be an assembly.
  virtual void heading(std::string_view line) = 0;
  /// Each component in file order; false stops the scan.
  virtual bool component(const ComponentView& c) = 0;
  /// Told once, before any byte of the file is read, how many bytes it holds
  /// as the open file reports it, or -1 when the file is read another way (a
  /// caller that budgets memory then has to ask itself).
  virtual void opening(std::int64_t bytes) { (void)bytes; }
};

/// Analyses the file at `path`, streaming its list to `sink`, so memory does
/// not grow with the number of records. A path that does not exist, names a
/// folder or cannot be read gives an error and is never created. A readable
/// file whose extension (GetExt) is neither ".asm" nor ".ASM" is not scanned
/// and gives no lines at all; an assembly gives the heading line, then its
/// names. Which names depends on what the format reader recognises:
/// - a known layout (legacy text, Wildfire XML, Creo): the reader's components,
///   each name once, in order of first appearance, a family-table instance
///   under its instance name, names beginning with "ASSEMBLY" left out as the
///   marker scan leaves them out (legacy names are Windows-1252 in the file,
///   the others UTF-8; all are given as UTF-8);
/// - anything else, or a recognised file the reader failed on (then with
///   `fallback` set): the marker scan over the whole file.
/// A false answer from the sink or `yield` sets `stopped`.
AssemblyAnalysis streamAssembly(const QString& path, ListSink& sink, const YieldHook& yield = {},
                                PathStyle style = nativePathStyle());

}  // namespace kelvaron
