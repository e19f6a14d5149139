#include "analysis/assemblyanalysis.h"

#include "platform/nativefile.h"
#include "platform/nativepath.h"

namespace kelvaron {

QStringList AssemblyAnalysis::lines() const {
  QStringList out;
  if (!assembly) return out;
  out.reserve(static_cast<qsizetype>(components.size()) + 1);
  out.append(QString::fromLatin1(kHeadingLine));
  for (const Component& c : components) out.append(c.text());
  return out;
}

AssemblyAnalysis streamAssembly(const QString& path, const ComponentSink& sink, const YieldHook& yield,
                                PathStyle style) {
  AssemblyAnalysis result;
  result.path = path;
  const auto setError = [&](const QString& reason) {
    result.error = QStringLiteral("cannot read %1: %2").arg(platform::displayPath(path), reason);
  };
  if (path.isEmpty()) {
    setError(QStringLiteral("no file given"));
    return result;
  }
  // Opened before the extension test so that every unreadable path is
  // reported the same way, whatever its name.
  platform::FileBytes file;
  if (!file.open(path)) {
    setError(file.errorString());
    return result;
  }

  const QString ext = GetExt(path, style);
  if (ext != QLatin1String(".asm") && ext != QLatin1String(".ASM")) return result;
  result.assembly = true;
  result.stopped = !scanComponents(
      file.bytes(),
      [&](const ComponentView& c) {
        ++result.partCount;
        return sink(c);
      },
      yield);
  return result;
}

AssemblyAnalysis analyseAssembly(const QString& path, const YieldHook& yield, PathStyle style) {
  std::vector<Component> found;
  AssemblyAnalysis result = streamAssembly(path, collectInto(found), yield, style);
  result.components = std::move(found);
  return result;
}

}  // namespace kelvaron
