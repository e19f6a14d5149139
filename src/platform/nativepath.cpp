#include "platform/nativepath.h"

#ifdef _WIN32
#include "platform/windowsnames.h"

#include <QDir>
#endif

namespace kelvaron::platform {

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

bool isEscape(char16_t c) { return c >= 0xDC80 && c <= 0xDCFF; }

// Length of the valid UTF-8 sequence at s[i], or 0 when it is not valid
// (overlong forms, surrogates and values past U+10FFFF are not valid).
std::size_t validUtf8Length(std::string_view s, std::size_t i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) return 1;
  std::size_t len = 0;
  char32_t cp = 0;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    len = 2;
    cp = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    len = 3;
    cp = b0 & 0x0F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    len = 4;
    cp = b0 & 0x07;
  } else
    return 0;
  if (i + len > s.size()) return 0;
  for (std::size_t k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF))) return 0;
  if (cp >= 0xD800 && cp <= 0xDFFF) return 0;
  return len;
}

}  // namespace

QString fromNativeBytes(std::string_view bytes) {
  QString out;
  out.reserve(static_cast<qsizetype>(bytes.size()));
  std::size_t i = 0;
  while (i < bytes.size()) {
    const std::size_t len = validUtf8Length(bytes, i);
    if (len == 0) {
      out.append(QChar(char16_t(kEscapeBase + static_cast<unsigned char>(bytes[i]))));
      ++i;
    } else {
      out.append(QString::fromUtf8(bytes.data() + i, static_cast<qsizetype>(len)));
      i += len;
    }
  }
  return out;
}

std::string toNativeBytes(const QString& path) {
  std::string out;
  out.reserve(static_cast<std::size_t>(path.size()));
  qsizetype runStart = 0;
  auto flush = [&](qsizetype end) {
    if (end > runStart) out += path.mid(runStart, end - runStart).toStdString();
  };
  for (qsizetype i = 0; i < path.size(); ++i) {
    const char16_t c = path.at(i).unicode();
    if (isEscape(c)) {
      flush(i);
      out.push_back(static_cast<char>(c - kEscapeBase));
      runStart = i + 1;
    }
  }
  flush(path.size());
  return out;
}

std::filesystem::path toNativePath(const QString& path) {
#ifdef _WIN32
  // Past 260 characters the file functions take only the extended-length
  // form; the margin leaves room for the names of files inside a folder.
  constexpr qsizetype kShortPathLimit = 240;
  if (path.size() > kShortPathLimit && !path.startsWith(QLatin1String("\\\\?\\"))) {
    const QString absolute = QDir::isAbsolutePath(path) ? path : QDir::currentPath() + u'/' + path;
    const QString extended = extendedLengthPath(absolute);
    if (!extended.isEmpty()) return std::filesystem::path(extended.toStdWString());
  }
  return std::filesystem::path(path.toStdWString());
#else
  return std::filesystem::path(toNativeBytes(path));
#endif
}

QString fromNativePath(const std::filesystem::path& path) {
#ifdef _WIN32
  return QString::fromStdWString(path.native());
#else
  return fromNativeBytes(path.native());
#endif
}

QString displayPath(const QString& path) {
  QString out = path;
  for (auto& c : out)
    if (isEscape(c.unicode())) c = QChar(QChar::ReplacementCharacter);
  return out;
}

}  // namespace kelvaron::platform
