#pragma once
// The one rule for "is this an assembly name": the extension the analysis
// scans, the versions of a name, the pattern of a folder scan.

#include "platform/pathhelpers.h"

#include <QString>
#include <optional>

namespace kelvaron {

/// The pattern a folder scan collects: plain and versioned assemblies.
inline constexpr char16_t kAssemblyPattern[] = u"*.asm.*";

/// The file name in `path`: what follows the last separator (and, Windows
/// style, a drive prefix). fileNameOf("/a/b.asm.2") == "b.asm.2".
QString fileNameOf(const QString& path, PathStyle style = nativePathStyle());

/// True when the extension of the file name in `path` (GetExt of
/// fileNameOf) is ".asm" or ".ASM", the files the analysis scans:
/// "/a/top.asm.3" and "p/.asm" yes, "/a/top.Asm", "/a/top.prt" and
/// "p/.hidden.asm.2" no.
bool hasAssemblyExtension(const QString& path, PathStyle style = nativePathStyle());

/// The family and version of a name "base.asm" or "base.asm.N".
struct AssemblyVersion {
  QString group;   ///< folder + base name, letter case folded
  QString number;  ///< digits without leading zeros; empty for version 0
};

/// The family and version of the name in `path`; nothing for any other name.
/// assemblyVersionOf("/p/Hub.ASM.007") gives group "/p/hub", number "7".
std::optional<AssemblyVersion> assemblyVersionOf(const QString& path, PathStyle style = nativePathStyle());

}  // namespace kelvaron
