#pragma once
// The one vocabulary of model file names and paths the bill-of-materials
// commands speak: versions, case, folders, and which names are models.

#include <QString>
#include <cstdint>
#include <filesystem>

namespace kelvaron::platform {

/// A file name taken apart: "Bolt.PRT.3" gives base "bolt.prt" (case-folded)
/// and version 3; "bolt.prt" gives version 0; "bolt.prt.x" is its own base.
struct VersionedName {
  QString base;
  std::int64_t version = 0;
};
VersionedName splitVersion(const QString& fileName);

/// The case-folded form names are compared in.
QString foldName(const QString& name);

/// The folder of `path` without a trailing separator ("/a/b/c.asm" gives "/a/b").
QString folderOf(const QString& path);

/// The last part of `path` ("/a/b/c.asm.2" gives "c.asm.2").
QString fileNameIn(const QString& path);

/// The absolute form of `path` in the program's form (native separators),
/// "." and ".." folded and no trailing separator but at a root, without
/// touching the disk; a relative path is taken from `workingFolder`, or from
/// the current folder when that is empty. Bytes of a name that are not
/// UTF-8 are kept. absolutePath("x/../b.asm", "/w") == "/w/b.asm".
QString absolutePath(const QString& path, const std::filesystem::path& workingFolder = {});

/// Whether a file name is an assembly file ("x.asm", "X.ASM.12"), case ignored.
bool isAssemblyFile(const QString& fileName);
/// Whether a file name is a part or assembly file ("x.prt", "X.ASM.3").
bool isModelFile(const QString& fileName);

/// The name components use for the model in a file: "asm0007.asm.2" gives "ASM0007".
QString modelNameOf(const QString& path);

}  // namespace kelvaron::platform
