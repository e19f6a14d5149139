#pragma once
// The one rule for "is this an assembly name": the extension the analysis
// scans, the versions of a name, the pattern of a folder scan.

#include "analysis/pathhelpers.h"

#include <QString>
#include <optional>

namespace kelvaron {

/// The pattern a folder scan collects: plain and versioned assemblies.
inline constexpr char16_t kAssemblyPattern[] = u"*.asm.*";

/// True when the extension of `path` (GetExt) is ".asm" or ".ASM", the files
/// the analysis scans: "/a/top.asm.3" yes, "/a/top.Asm" and "/a/top.prt" no.
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
