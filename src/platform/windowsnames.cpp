#include "platform/windowsnames.h"

#include <QStringList>
#include <array>

namespace kelvaron::platform {

namespace {

bool isSeparator(QChar c) { return c == u'/' || c == u'\\'; }

bool isDriveStart(QStringView path) {
  return path.size() >= 2 && path[1] == u':' && path[0].unicode() < 0x80 && path[0].isLetter();
}

// The length of the root of `path`: "\\?\" with what follows it up to the
// first name, "\\server\share", a drive "C:" with its separator; 0 for none.
qsizetype rootLength(QStringView path) {
  auto skipName = [&](qsizetype from) {
    while (from < path.size() && !isSeparator(path[from])) ++from;
    return from;
  };
  if (path.size() >= 4 && isSeparator(path[0]) && isSeparator(path[1]) && (path[2] == u'?' || path[2] == u'.') &&
      isSeparator(path[3])) {
    const QStringView rest = path.mid(4);
    if (rest.startsWith(u"UNC", Qt::CaseInsensitive) && rest.size() > 3 && isSeparator(rest[3])) {
      const qsizetype server = skipName(8);
      return server < path.size() ? skipName(server + 1) : server;
    }
    if (isDriveStart(rest)) return 6;
    return 4;
  }
  if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
    const qsizetype server = skipName(2);
    return server < path.size() ? skipName(server + 1) : server;
  }
  if (isDriveStart(path)) return 2;
  return 0;
}

bool isDeviceName(QStringView name) {
  // The part before the first dot, without trailing spaces, names the device:
  // "con.asm", "aux.prt.3" and "nul .txt" are all devices.
  QStringView base = name.left(name.indexOf(u'.') < 0 ? name.size() : name.indexOf(u'.'));
  while (base.endsWith(u' ')) base.chop(1);
  static constexpr std::array<const char16_t*, 6> kPlain = {u"CON", u"PRN", u"AUX", u"NUL", u"CONIN$", u"CONOUT$"};
  for (const char16_t* device : kPlain)
    if (base.compare(QStringView(device), Qt::CaseInsensitive) == 0) return true;
  if (base.size() == 4 && (base.startsWith(u"COM", Qt::CaseInsensitive) || base.startsWith(u"LPT", Qt::CaseInsensitive))) {
    const char16_t digit = base[3].unicode();
    // Windows also takes the superscript digits 1, 2 and 3 for ports.
    return (digit >= u'1' && digit <= u'9') || digit == u'\u00B9' || digit == u'\u00B2' || digit == u'\u00B3';
  }
  return false;
}

QString nameProblem(QStringView name) {
  const QString shown = name.toString();
  for (const QChar c : name) {
    if (c.unicode() < 0x20 || QStringView(u"<>\"|?*").contains(c))
      return QStringLiteral("\"%1\" holds a character Windows does not allow in names").arg(shown);
  }
  if (name.contains(u':')) return QStringLiteral("\"%1\" names a stream of a file, not a file").arg(shown);
  if (name != u"." && name != u".." && (name.endsWith(u'.') || name.endsWith(u' ')))
    return QStringLiteral("\"%1\" ends in a dot or a space, which Windows drops").arg(shown);
  if (isDeviceName(name)) return QStringLiteral("\"%1\" is a device name on Windows").arg(shown);
  return {};
}

}  // namespace

QString windowsNameProblem(QStringView path) {
  qsizetype at = rootLength(path);
  while (at < path.size()) {
    qsizetype end = at;
    while (end < path.size() && !isSeparator(path[end])) ++end;
    if (end > at) {
      const QString problem = nameProblem(path.mid(at, end - at));
      if (!problem.isEmpty()) return problem;
    }
    at = end + 1;
  }
  return {};
}

QString extendedLengthPath(QStringView absolutePath) {
  QString path = absolutePath.toString();
  path.replace(u'/', u'\\');
  if (path.startsWith(u"\\\\?\\")) return path;
  const qsizetype root = rootLength(path);
  QString prefix;
  if (path.startsWith(u"\\\\") && root > 2)
    prefix = QStringLiteral("\\\\?\\UNC\\") + path.mid(2, root - 2);
  else if (root == 2 && path.size() > 2 && path[2] == u'\\')
    prefix = QStringLiteral("\\\\?\\") + path.left(2);
  else
    return {};
  QStringList names;
  for (const QString& name : path.mid(root).split(u'\\', Qt::SkipEmptyParts)) {
    if (name == u".") continue;
    if (name == u"..") {
      if (!names.isEmpty()) names.removeLast();
      continue;
    }
    names.append(name);
  }
  return prefix + u'\\' + names.join(u'\\');
}

std::size_t wholeUtf8Prefix(std::string_view bytes) {
  // Only the last three bytes can belong to an unfinished sequence.
  const std::size_t size = bytes.size();
  for (std::size_t back = 1; back <= 3 && back <= size; ++back) {
    const auto b = static_cast<unsigned char>(bytes[size - back]);
    if ((b & 0xC0) == 0x80) continue;  // a continuation byte: look further back
    const std::size_t needed = b >= 0xF0 && b <= 0xF4 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 && b < 0xE0 ? 2 : 1;
    return needed > back && b < 0xF5 ? size - back : size;
  }
  return size;
}

}  // namespace kelvaron::platform
