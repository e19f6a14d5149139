#include "platform/pathhelpers.h"

#include "platform/filekind.h"

namespace kelvaron {

namespace {

struct Split {
  QString ext;
  QString name;
};

// Walks the path from the right. Every dot cuts the text and sets the extension
// to what follows it (when anything does), so the dot furthest left before the
// name wins; the first separator with something after it ends the walk. A
// separator at the very end is part of the name.
Split splitPath(QString p, PathStyle style) {
  Split out;
  if (style == PathStyle::Windows && p.size() >= 2 && p.at(1) == u':') p.remove(0, 2);
  const QChar sep(separator(style));
  for (qsizetype i = p.size(); i >= 1; --i) {
    const QChar c = p.at(i - 1);
    if (c == u'.') {
      if (p.size() - i >= 1) out.ext = p.mid(i - 1);
      p.truncate(i - 1);
    } else if (c == sep && p.size() - i >= 1) {
      out.name = p.mid(i);
      return out;
    }
  }
  out.name = p;
  return out;
}

}  // namespace

QString GetExt(const QString& Pfad, PathStyle style) { return splitPath(Pfad, style).ext; }

QString Zerlege(const QString& Pfad, PathStyle style) { return splitPath(Pfad, style).name; }

bool FileExists(const QString& sFile) { return platform::isFile(sFile); }

bool DirExists(const QString& Path) { return platform::isFolder(Path); }

}  // namespace kelvaron
