#pragma once
// Taking path texts apart, and quiet existence tests.

#include <QString>

namespace kelvaron {

/// Which separator a path text uses. Windows style: "\" separates folders and a
/// leading letter + ":" is a drive prefix. POSIX style: "/" separates folders and
/// there is no drive prefix.
enum class PathStyle { Windows, Posix };

/// The style of the platform the program runs on.
constexpr PathStyle nativePathStyle() {
#ifdef _WIN32
  return PathStyle::Windows;
#else
  return PathStyle::Posix;
#endif
}

/// The separator character of a style.
constexpr char16_t separator(PathStyle style) { return style == PathStyle::Windows ? u'\\' : u'/'; }

/// The extension of the file name in `Pfad`: the first dot-separated field after
/// the bare name, with its dot. GetExt("C:\\a\\top.asm.3") == ".asm";
/// GetExt("A.B.C.ASM.3") == ".B"; GetExt("top") is empty.
QString GetExt(const QString& Pfad, PathStyle style = nativePathStyle());

/// The bare file name in `Pfad`, without folder and extensions.
/// Zerlege("C:\\a\\top.asm.3") == "top"; a trailing separator is kept:
/// Zerlege("C:\\a\\b\\") == "b\\".
QString Zerlege(const QString& Pfad, PathStyle style = nativePathStyle());

/// True when `sFile` names an existing file (a link to one counts); false for
/// folders, missing paths and an empty text. Never fails.
bool FileExists(const QString& sFile);

/// True when `Path` names an existing folder. Never fails.
bool DirExists(const QString& Path);


}  // namespace kelvaron
