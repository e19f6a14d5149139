#pragma once
// The rules Windows applies to file names, as plain text functions: they are
// used by the Windows file code and hold on every system, so they are tested
// everywhere.

#include <QString>
#include <QStringView>
#include <string_view>

namespace kelvaron::platform {

/// Why Windows would not take `path` for the ordinary file it names, or an
/// empty text when it would. Looks at every name after the root (a drive "C:",
/// "\\server\share", "\\?\"): device names ("con.asm", "NUL", "aux.prt.3",
/// "COM1.txt"), names ending in a dot or space (which Windows drops, so they
/// would name another file), "name:stream" (a stream of a file), and the
/// characters < > " | ? * and control characters. Either separator counts.
QString windowsNameProblem(QStringView path);

/// The extended-length form of an absolute path, which the Windows file
/// functions take past 260 characters: "\\?\C:\a\b" or "\\?\UNC\server\share\a",
/// with "\" separators and the names "." and ".." resolved (the system does not
/// resolve them in this form). A path already in that form is returned as it
/// is; one that is not absolute (no drive, no "\\server\share") comes back empty.
QString extendedLengthPath(QStringView absolutePath);

/// The length of the longest start of `bytes` that does not end inside a
/// UTF-8 sequence; the rest waits for the bytes that complete it. Bytes that
/// can never start or continue a sequence count as whole (they are shown as
/// replacement characters).
std::size_t wholeUtf8Prefix(std::string_view bytes);

}  // namespace kelvaron::platform
