#pragma once
// The whole list of components of some bytes: the core streams them, the
// tests compare lists.

#include "analysis/componentscan.h"

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

}  // namespace kelvaron::testing

#include "analysis/assemblyanalysis.h"

#include <QStringList>

namespace kelvaron::testing {

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
  Listed out;
  out.analysis = streamAssembly(path, sink, yield);
  out.lines = std::move(sink.lines);
  return out;
}

/// The heading line every assembly's list starts with.
inline const QString kHeading = QStringLiteral("the following parts are build in this assembly:");

}  // namespace kelvaron::testing
