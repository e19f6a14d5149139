#pragma once
// The analysis of one assembly file: read it, check its extension, list its parts.

#include "analysis/componentscan.h"
#include "analysis/pathhelpers.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace kelvaron {

/// What the analysis of one file found.
struct AssemblyAnalysis {
  QString path;                      ///< the file as given
  bool assembly = false;             ///< the extension is ".asm" or ".ASM": the file was scanned
  std::vector<Component> components; ///< the records in file order (empty when not scanned or streamed)
  std::int64_t partCount = 0;        ///< how many components were found
  QString error;                     ///< empty, or "cannot read PATH: reason"
  bool stopped = false;              ///< the yield hook asked to stop: no result to report

  bool ok() const { return error.isEmpty() && !stopped; }
  /// The result list as the window shows it and the report writes it:
  /// the heading line and the names for an assembly, nothing otherwise.
  QStringList lines() const;
};

/// Analyses the file at `path`. A path that does not exist, names a folder or
/// cannot be read gives an error and is never created. A readable file whose
/// extension (GetExt) is neither ".asm" nor ".ASM" is not scanned and gives an
/// empty list. The file is read once, whole, then scanned in memory.
AssemblyAnalysis analyseAssembly(const QString& path, const YieldHook& yield = {},
                                 PathStyle style = nativePathStyle());

/// The same analysis, streaming: each component goes to `sink` as it is found
/// and `components` stays empty, so memory does not grow with the number of
/// records. A false answer from `sink` or `yield` sets `stopped`.
AssemblyAnalysis streamAssembly(const QString& path, const ComponentSink& sink, const YieldHook& yield = {},
                                PathStyle style = nativePathStyle());

}  // namespace kelvaron
