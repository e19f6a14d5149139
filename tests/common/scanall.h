#pragma once
// The whole list of components of some bytes or of a file: the core streams
// them, the tests compare lists.

#include "analysis/assemblyanalysis.h"
#include "analysis/componentscan.h"

#include <QFile>
#include <QStringList>
#include <string_view>
#include <vector>

namespace kelvaron::testing {

inline std::vector<Component> scanAll(std::string_view bytes, const YieldHook& yield = {}, bool* stopped = nullptr) {
  std::vector<Component> found;
  const bool complete = scanComponents(
      bytes,
      [&](const ComponentView& c) {
        found.push_back({QByteArray(c.name.data(), static_cast<qsizetype>(c.name.size())), c.nameStart, c.end});
        return true;
      },
      yield);
  if (stopped) *stopped = !complete;
  return found;
}

/// The analysis of one file with its result list gathered.
struct Listed {
  AssemblyAnalysis analysis;
  QStringList lines;  ///< the heading line and the names, as the window shows them
};

inline Listed analyseListed(const QString& path, const YieldHook& yield = {}) {
  struct Sink final : ListSink {
    QStringList lines;
    void heading(std::string_view line) override { lines << QString::fromLatin1(line.data(), qsizetype(line.size())); }
    bool component(const ComponentView& c) override {
      lines << c.text();
      return true;
    }
  } sink;
  AssemblyAnalysis analysis = streamAssembly(path, sink, yield);
  return {std::move(analysis), std::move(sink.lines)};
}

/// The heading line every assembly's list starts with.
inline const QString kHeading = QStringLiteral("the following parts are build in this assembly:");

/// Writes `bytes` to the file `path` and gives the path back (empty when it
/// cannot be written, which fails the test that reads it).
inline QString writeFile(const QString& path, QByteArrayView bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(bytes.data(), bytes.size()) == bytes.size() ? path : QString();
}

}  // namespace kelvaron::testing
