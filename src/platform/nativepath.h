#pragma once
// Paths as the operating system sees them versus paths as the program shows them.
//
// On POSIX a file name is a byte string that need not be valid in the locale's
// encoding. QString cannot hold such bytes, and QFile::decodeName replaces them,
// so a name found by a directory walk could not be opened again. These helpers
// decode invalid bytes to the lone surrogates U+DC80..U+DCFF (the scheme Python
// calls "surrogateescape") and encode them back, so every name round-trips.
// On Windows the native form is UTF-16 and the conversion is direct.

#include <QString>
#include <filesystem>
#include <string_view>

namespace kelvaron::platform {

/// The operating system's form of a path shown as `path`.
/// Example: toNativePath(fromNativeBytes("caf\xE9.asm")) names the same file.
std::filesystem::path toNativePath(const QString& path);

/// The program's form of a native path; invalid bytes become U+DC80 + byte.
QString fromNativePath(const std::filesystem::path& path);

/// Decodes one native (POSIX) name or path given as bytes.
QString fromNativeBytes(std::string_view bytes);

/// Encodes a program path to native (POSIX) bytes; the inverse of fromNativeBytes.
std::string toNativeBytes(const QString& path);

/// The path with escaped bytes shown as U+FFFD, for messages and report text.
QString displayPath(const QString& path);

}  // namespace kelvaron::platform
