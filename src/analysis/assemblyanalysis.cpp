#include "analysis/assemblyanalysis.h"

#include "analysis/assemblyname.h"
#include "platform/filebytes.h"
#include "platform/fileerror.h"

namespace kelvaron {

namespace {
constexpr std::string_view kHeadingLine = "the following parts are build in this assembly:";
}  // namespace

AssemblyAnalysis streamAssembly(const QString& path, ListSink& sink, const YieldHook& yield, PathStyle style) {
  AssemblyAnalysis result;
  result.path = path;
  const auto setError = [&](const QString& reason) {
    result.error = platform::FileError{platform::FileError::Action::Read, path, reason}.message();
  };
  if (path.isEmpty()) {
    setError(QStringLiteral("no file given"));
    return result;
  }
  // Opened before the extension test so that every unreadable path is
  // reported the same way, whatever its name.
  platform::FileBytes file;
  if (!file.open(path, yield)) {
    result.stopped = file.stopped();
    if (!result.stopped) setError(file.errorString());
    return result;
  }

  if (!hasAssemblyExtension(path, style)) return result;
  result.assembly = true;
  sink.heading(kHeadingLine);
  result.stopped = !scanComponents(
      file.bytes(),
      [&](const ComponentView& c) {
        ++result.partCount;
        return sink.component(c);
      },
      yield);
  // A mapped file that changed or failed while scanned: its list is not trusted.
  if (!result.stopped && !file.verify()) setError(file.errorString());
  return result;
}

}  // namespace kelvaron
