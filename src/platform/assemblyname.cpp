#include "platform/assemblyname.h"

namespace kelvaron {

QString fileNameOf(const QString& path, PathStyle style) {
  const qsizetype cut = path.lastIndexOf(separator(style)) + 1;
  if (style == PathStyle::Windows && cut == 0 && path.size() >= 2 && path.at(1) == u':') return path.mid(2);
  return path.mid(cut);
}

bool hasAssemblyExtension(const QString& path, PathStyle style) {
  // The file name alone: "./.asm" and "proj/.asm" name the same kind of file.
  const QString ext = GetExt(fileNameOf(path, style), style);
  return ext == QLatin1String(".asm") || ext == QLatin1String(".ASM");
}

std::optional<AssemblyVersion> assemblyVersionOf(const QString& path, PathStyle style) {
  const qsizetype cut = path.lastIndexOf(separator(style)) + 1;
  const QStringView name = QStringView(path).mid(cut);
  static constexpr QStringView kAsm = u".asm";
  qsizetype asmEnd = -1;
  QStringView digits;
  if (name.endsWith(kAsm, Qt::CaseInsensitive)) {
    asmEnd = name.size();
  } else {
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot <= 0 || dot + 1 == name.size()) return std::nullopt;
    digits = name.mid(dot + 1);
    for (QChar c : digits)
      if (c < u'0' || c > u'9') return std::nullopt;
    if (!name.left(dot).endsWith(kAsm, Qt::CaseInsensitive)) return std::nullopt;
    asmEnd = dot;
  }
  while (digits.startsWith(u'0')) digits = digits.mid(1);
  AssemblyVersion v;
  v.group = QStringView(path).left(cut).toString() + name.left(asmEnd - kAsm.size()).toString().toCaseFolded();
  v.number = digits.toString();
  return v;
}

}  // namespace kelvaron
