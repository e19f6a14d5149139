#pragma once
// How the bytes of a component name read as text.

#include <QString>
#include <string_view>

namespace kelvaron {

/// How the bytes of a component name are to be read: the marker scan keeps
/// Windows-1252 bytes of the file (its kept set reads the same as Latin-1),
/// the format reader's names are UTF-8.
enum class NameEncoding { Windows1252, Utf8 };

/// `bytes` as text in `encoding`.
inline QString nameText(std::string_view bytes, NameEncoding encoding) {
  const auto n = static_cast<qsizetype>(bytes.size());
  return encoding == NameEncoding::Utf8 ? QString::fromUtf8(bytes.data(), n) : QString::fromLatin1(bytes.data(), n);
}

}  // namespace kelvaron
