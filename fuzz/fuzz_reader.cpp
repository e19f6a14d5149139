// Fuzzes the format reader with arbitrary bytes: the whole file path over a
// memory source, and the LZW decoder on its own.
//
// Whatever the bytes, the reader must return a model whose counts are sane
// and which says why when it failed; the decoder must respect its cap.

#include "reader/assemblyreader.h"
#include "reader/lzw.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
  }
}

void fuzzReader(std::string_view bytes) {
  using namespace kelvaron::reader;
  const AssemblyModel m = readAssembly(MemorySource(bytes));
  check(!m.failed || !m.notes.isEmpty(), "a failed model says why");
  for (const ModelComponent& c : m.components) {
    check(!c.name.isEmpty(), "components have names");
    check(c.quantity >= 0 && c.suppressed >= 0, "counts are not negative");
    check(!c.file.isEmpty(), "components have a file name");
  }
  if (!bytes.starts_with("#UGC:")) check(m.generation == Generation::Unknown && m.components.empty(), "no header, no model");
}

void fuzzLzw(std::string_view bytes) {
  using namespace kelvaron::reader;
  // The first byte picks a cap, the rest is the stream behind the magic.
  if (bytes.empty()) return;
  const std::size_t cap = static_cast<std::uint8_t>(bytes[0]) * 97u;
  std::string stream = "\x1F\x9D";
  stream.append(bytes.substr(1));
  std::string out;
  const LzwStatus status = decodeLzw(stream, cap, out);
  check(out.size() <= cap, "output within the cap");
  if (status == LzwStatus::Capped) check(out.size() == cap, "capped output fills the cap");
  // A larger cap gives the same bytes, and more only where the first was capped.
  std::string more;
  decodeLzw(stream, cap + 1000, more);
  check(more.compare(0, out.size(), out) == 0, "the cap cuts, it does not change");
  if (status != LzwStatus::Capped) check(more == out, "an uncapped decode is the whole decode");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  fuzzReader(bytes);
  fuzzLzw(bytes);
  return 0;
}
