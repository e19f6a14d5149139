#pragma once
// How names and paths from files are written out: one escaping rule for text
// meant for a terminal or a text file, and one JSON string encoder.

#include <QString>
#include <QStringView>
#include <string>

namespace kelvaron::platform {

/// Whether `c` is a control character: U+0000..U+001F, U+007F..U+009F.
constexpr bool isControl(char16_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

/// `text` with every control character written as a visible "\xHH" (ESC as
/// "\x1b", a line feed as "\x0a"), so a name from a file can neither retitle
/// a terminal nor add a line to a list or a report. Other text is unchanged.
/// escapeControls(u"A\nB") == "A\\x0aB"
QString escapeControls(QStringView text);

/// The bytes a text printer writes for `text`: controls escaped, then the
/// native form (bytes of a file name that are not UTF-8 go out as they are).
std::string shownBytes(QStringView text);

/// Appends `text` as a JSON string literal, quotes included, in UTF-8.
/// Quotes, backslashes and control characters are escaped; a lone surrogate
/// (a file-name byte that is not valid UTF-8) is written as "\udcXX", which
/// keeps the JSON valid and the byte recoverable.
void appendJsonString(std::string& out, QStringView text);

}  // namespace kelvaron::platform
