#include "analysis/assemblyanalysis.h"

#include "platform/nativefile.h"
#include "platform/nativepath.h"

#include <algorithm>
#include <string>

namespace kelvaron {

QStringList AssemblyAnalysis::lines() const {
  QStringList out;
  if (!assembly) return out;
  out.reserve(static_cast<qsizetype>(components.size()) + 1);
  out.append(QString::fromLatin1(kHeadingLine));
  for (const Component& c : components) out.append(c.text());
  return out;
}

AssemblyAnalysis analyseAssembly(const QString& path, const YieldHook& yield, PathStyle style) {
  AssemblyAnalysis result;
  result.path = path;
  const auto fail = [&](const QString& reason) {
    result.error = QStringLiteral("cannot read %1: %2").arg(platform::displayPath(path), reason);
    return result;
  };
  if (path.isEmpty()) return fail(QStringLiteral("no file given"));
  platform::NativeFile file;
  if (!file.open(path)) return fail(file.errorString());

  const QString ext = GetExt(path, style);
  if (ext != QLatin1String(".asm") && ext != QLatin1String(".ASM")) return result;
  result.assembly = true;

  // Read in large slices so a window can stay responsive on big files. The
  // buffer is sized once; a file that grows while it is read is taken up to
  // where its end is met.
  constexpr std::int64_t kSlice = std::int64_t{8} << 20;
  std::string bytes;
  bytes.resize(static_cast<std::size_t>(file.size()));
  std::int64_t have = 0;
  for (;;) {
    const bool full = have == static_cast<std::int64_t>(bytes.size());
    char extra[65536];
    char* into = full ? extra : bytes.data() + have;
    const std::int64_t want =
        full ? std::int64_t{sizeof extra} : std::min<std::int64_t>(kSlice, static_cast<std::int64_t>(bytes.size()) - have);
    const std::int64_t n = file.read(into, want);
    if (n < 0) return fail(file.errorString());
    if (n == 0) break;
    if (full) bytes.append(extra, static_cast<std::size_t>(n));
    have += n;
    if (yield && !yield()) {
      result.stopped = true;
      return result;
    }
  }
  bytes.resize(static_cast<std::size_t>(have));
  file.close();

  result.components = scanComponents(bytes, yield, &result.stopped);
  return result;
}

}  // namespace kelvaron
