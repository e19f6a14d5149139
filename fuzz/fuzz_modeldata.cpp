// Fuzzes the model-data reader. Input that starts with '#' is a whole file,
// read for its parameters, material, mass and picture; any other input is a
// decoded tagged-binary section, walked into a tree whose shape must hold
// together whatever the bytes. Real files seed the first, handmade sections
// (corpus_modeldata) the second.

#include "reader/modeldata.h"
#include "reader/taggedtree.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
  }
}

void fuzzTree(std::string_view bytes) {
  using namespace kelvaron::reader;
  const TaggedTree tree = readTaggedTree(bytes);
  const auto& nodes = tree.nodes();
  check(!nodes.empty() && nodes[0].end == static_cast<std::int32_t>(nodes.size()), "the root spans the tree");
  check(nodes.size() + tree.scalars().size() <= 2'000'001, "values within the bound");
  for (std::size_t i = 1; i < nodes.size(); ++i) {
    const TaggedTree::Node& n = nodes[i];
    check(n.parent >= 0 && static_cast<std::size_t>(n.parent) < i, "a parent comes before its children");
    check(n.end > static_cast<std::int32_t>(i) && n.end <= nodes[static_cast<std::size_t>(n.parent)].end,
          "a subtree lies within its parent's");
    check(n.field > 0 && static_cast<std::size_t>(n.field) < tree.fields().size(), "fields are declared");
    if (n.kind == TaggedTree::Kind::Value || n.kind == TaggedTree::Kind::Array)
      check(std::size_t{n.first} + n.count <= tree.scalars().size(), "scalars within the pool");
    if (n.kind == TaggedTree::Kind::StructArray) {
      std::uint32_t elements = 0;
      for (int c = tree.firstChild(static_cast<int>(i)); c >= 0; c = tree.nextSibling(c)) ++elements;
      check(elements <= n.count, "a struct array holds at most its count");
    }
  }
}

void fuzzFile(std::string_view bytes) {
  using namespace kelvaron::reader;
  const MemorySource source(bytes);
  const ModelData d = readModelData(source);
  for (const Parameter& p : d.parameters) check(!p.name.isEmpty(), "parameters have names");
  check(!d.mass || (d.mass->volume && *d.mass->volume != 0), "a mass record has a volume");
  const Picture picture = readPicture(source);
  check(picture.error.isEmpty() == d.picture.has_value(), "the picture alone agrees with the whole read");
  check(!picture.error.isEmpty() || picture.bytes.size() == static_cast<std::size_t>(picture.info.bytes),
        "the picture's size is its bytes'");
  check(picture.bytes.size() <= std::size_t{64} << 20, "the picture within its cap");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (bytes.starts_with('#'))
    fuzzFile(bytes);
  else
    fuzzTree(bytes);
  return 0;
}
