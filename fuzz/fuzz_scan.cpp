// Fuzzes the component scan and the path split with arbitrary bytes.
//
// The scan is checked against a direct, quadratic rendering of the record
// loop (every search from scratch) and against invariants of its own; the
// split must not crash and must return pieces of its input.

#include "analysis/componentscan.h"
#include "common/scanall.h"
#include "platform/pathhelpers.h"

#include <QString>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace {

void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
  }
}

bool kept(unsigned char b) {
  return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b == '_' || b == '-' ||
         b == 252 || b == 246 || b == 228 || b == 220 || b == 214 || b == 196;
}

struct Record {
  std::string name;
  std::int64_t nameStart;
  std::int64_t end;
};

// The record loop spelled out with 1-based positions, each search from scratch.
std::vector<Record> referenceScan(std::string_view t) {
  const auto find = [&](std::string_view what, std::int64_t from) -> std::int64_t {
    const auto at = t.find(what, static_cast<std::size_t>(from - 1));
    return at == std::string_view::npos ? 0 : static_cast<std::int64_t>(at) + 1;
  };
  std::vector<Record> out;
  std::int64_t s = 1;
  for (;;) {
    const std::int64_t m = find("3 3 ", s);
    if (m == 0) break;
    const std::int64_t start = m + 4;
    std::int64_t e = 0;
    if (const auto mt = find("@model_type", start)) {
      e = mt - 1;
    } else if (const auto ty = find("3 4 ", start)) {
      e = ty - 1;
    } else {
      e = static_cast<std::int64_t>(t.size());
    }
    std::string name;
    for (std::int64_t p = start; p <= e; ++p) {
      const auto b = static_cast<unsigned char>(t[static_cast<std::size_t>(p - 1)]);
      if (b == 32 || b == 13 || b == 10) break;
      if (kept(b)) name.push_back(static_cast<char>(b));
    }
    if (name.compare(0, 8, "ASSEMBLY") != 0) out.push_back({name, start, e});
    s = start;
  }
  return out;
}

void fuzzScan(std::string_view bytes) {
  const std::vector<kelvaron::Component> found = kelvaron::testing::scanAll(bytes);
  const std::int64_t size = static_cast<std::int64_t>(bytes.size());
  std::int64_t previous = 0;
  for (const auto& c : found) {
    check(c.nameStart > previous, "records in increasing nameStart order");
    previous = c.nameStart;
    check(c.nameStart >= 5 && c.nameStart <= size + 1, "name start within the bytes");
    check(bytes.substr(static_cast<std::size_t>(c.nameStart - 5), 4) == "3 3 ", "a marker before each name");
    check(c.end <= size, "end within the bytes");
    for (const char b : c.name) check(kept(static_cast<unsigned char>(b)), "names hold kept bytes only");
    check(!c.name.startsWith("ASSEMBLY"), "ASSEMBLY names are skipped");
  }
  // The quadratic reference is only affordable on small inputs.
  if (bytes.size() > 4096) return;
  const std::vector<Record> expected = referenceScan(bytes);
  check(found.size() == expected.size(), "same record count as the reference");
  for (std::size_t i = 0; i < found.size(); ++i) {
    check(std::string_view(found[i].name.constData(), std::size_t(found[i].name.size())) == expected[i].name,
          "same name as the reference");
    check(found[i].nameStart == expected[i].nameStart, "same name start as the reference");
    check(found[i].end == expected[i].end, "same end as the reference");
  }
}

void fuzzSplit(const QString& path) {
  for (const auto style : {kelvaron::PathStyle::Windows, kelvaron::PathStyle::Posix}) {
    const QChar sep = kelvaron::separator(style);
    const QString ext = kelvaron::GetExt(path, style);
    const QString name = kelvaron::Zerlege(path, style);
    check(path.contains(ext), "the extension is a piece of the path");
    check(path.contains(name), "the name is a piece of the path");
    check(ext.isEmpty() || (ext.startsWith(u'.') && ext.size() > 1 && ext.lastIndexOf(u'.') == 0),
          "an extension is one dot and a field");
    check(!name.contains(u'.'), "the name holds no dot");
    const qsizetype sepAt = name.indexOf(sep);
    check(sepAt < 0 || sepAt == name.size() - 1, "a separator only ends the name");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  fuzzScan(bytes);
  if (size <= 4096) {
    fuzzSplit(QString::fromLatin1(bytes.data(), static_cast<qsizetype>(size)));
    fuzzSplit(QString::fromUtf8(bytes.data(), static_cast<qsizetype>(size)));
  }
  return 0;
}
