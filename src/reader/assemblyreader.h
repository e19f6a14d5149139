#pragma once
// Reading the component list of an assembly file, every generation.

#include "reader/assemblymodel.h"
#include "reader/bytesource.h"

#include <QString>

namespace kelvaron::reader {

/// Reads the model of the file behind `source`: recognises the generation by
/// content, reads the header, the table of contents and the model section by
/// positioned reads, and fills the model. Never throws; a damaged file gives a
/// model with `failed` and a note, a file of no known layout the generation
/// Unknown. Bounded in time and memory whatever the bytes say.
AssemblyModel readAssembly(const ByteSource& source);

/// The result of reading a file from disk.
struct FileModel {
  AssemblyModel model;
  QString error;  ///< empty, or "cannot read PATH: reason" when the file could not be read at all
};

/// Opens `path` and reads its model.
FileModel readAssemblyFile(const QString& path);

}  // namespace kelvaron::reader
