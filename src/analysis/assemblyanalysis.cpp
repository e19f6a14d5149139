#include "analysis/assemblyanalysis.h"

#include "platform/assemblyname.h"
#include "platform/filebytes.h"
#include "platform/fileerror.h"
#include "reader/assemblyreader.h"

#include <QSet>
#include <string>

namespace kelvaron {

namespace {

constexpr std::string_view kHeadingLine = "the following parts are build in this assembly:";
// The marker scan leaves these out; the reader's names follow the same rule.
constexpr std::string_view kSkippedPrefix = "ASSEMBLY";
constexpr std::int64_t kSmallFile = std::int64_t{1} << 20;

using reader::Generation;

// The marker scan over `bytes`, which start at the 0-based `offset` of the
// file: positions are reported as positions in the whole file.
bool scanRange(std::string_view bytes, std::int64_t offset, ListSink& sink, AssemblyAnalysis& result,
               const YieldHook& yield) {
  return scanComponents(
      bytes,
      [&](const ComponentView& c) {
        ++result.partCount;
        return sink.component({c.name, c.nameStart + offset, c.end + offset, c.encoding});
      },
      yield);
}

// The reader's components, each name once, in order of first appearance.
bool listModel(const reader::AssemblyModel& model, ListSink& sink, AssemblyAnalysis& result) {
  QSet<QString> seen;
  for (const reader::ModelComponent& c : model.components) {
    if (seen.contains(c.name)) continue;
    seen.insert(c.name);
    const QByteArray name = c.name.toUtf8();
    const std::string_view bytes(name.constData(), static_cast<std::size_t>(name.size()));
    if (bytes.starts_with(kSkippedPrefix)) continue;
    ++result.partCount;
    if (!sink.component({bytes, 0, 0, NameEncoding::Utf8})) return false;
  }
  return true;
}

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
  const bool assemblyName = hasAssemblyExtension(path, style);
  const auto wholeFileScan = [&] {
    platform::FileBytes file;
    if (!file.open(path, yield)) {
      result.stopped = file.stopped();
      if (!result.stopped) setError(file.errorString());
      return;
    }
    result.assembly = assemblyName;
    if (!result.assembly) return;
    sink.heading(kHeadingLine);
    result.stopped = !scanRange(file.bytes(), 0, sink, result, yield);
    // A mapped file that changed or failed while scanned: its list is not trusted.
    if (!result.stopped && !file.verify()) setError(file.errorString());
  };
  // Opened before the extension test so that every unreadable path is
  // reported the same way, whatever its name.
  if (!assemblyName) {
    sink.opening(-1);
    wholeFileScan();
    return result;
  }

  // What cannot be opened for positioned reads (a folder, a pipe, a missing
  // path) goes the plain way, which reports it or reads it as today.
  reader::FileSource source;
  QString reason;
  if (!source.open(path, &reason)) {
    sink.opening(-1);
    wholeFileScan();
    return result;
  }
  sink.opening(source.size());
  result.assembly = true;
  result.model = reader::readAssembly(source);
  const reader::AssemblyModel& model = result.model;
  result.notes = model.notes;
  QString why;
  if (!model.failed && model.generation != Generation::Unknown) {
    sink.heading(kHeadingLine);
    result.stopped = !listModel(model, sink, result);
    return result;
  }
  if (model.failed) {
    why = model.notes.isEmpty() ? QStringLiteral("the file is damaged") : model.notes.last();
  }
  if (!why.isEmpty()) {
    const QString note = QStringLiteral("the names come from the marker scan over the whole file");
    result.fallback = QStringLiteral("%1; %2").arg(why, note);
    result.notes << note;
  }
  // A small file is read through the descriptor already open, saving a second
  // open for each of the many small files of a folder tree; a large one is
  // mapped as before.
  if (source.size() < kSmallFile) {
    std::string bytes;
    QString readError;
    if (source.read(0, source.size(), bytes, &readError)) {
      sink.heading(kHeadingLine);
      result.stopped = !scanRange(bytes, 0, sink, result, yield);
      return result;
    }
  }
  wholeFileScan();
  return result;
}

}  // namespace kelvaron
