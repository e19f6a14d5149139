#include "reader/taggedtree.h"

#include "reader/bytecursor.h"
#include "reader/taggedcodes.h"

#include <optional>

namespace kelvaron::reader {

namespace {

// Relation trees in LargeText reach level 74; real sections stay far below
// these bounds, which only stop damaged or crafted input.
constexpr std::int64_t kMaxDepth = 512;
constexpr std::size_t kMaxFields = 100'000;
constexpr std::size_t kMaxValues = 2'000'000;

using Kind = TaggedTree::Kind;
using FieldType = TaggedTree::FieldType;

std::optional<FieldType> fieldType(std::uint8_t code) {
  switch (code) {
    case 0x00: return FieldType::Struct;
    case 0x01: case 0x04: case 0x05: case 0x08: case 0x09: case 0x0B: return FieldType::Integer;
    case 0x07: return FieldType::Byte;
    case 0x02: return FieldType::Double;
    case 0x03: case 0x0A: return FieldType::String;
    default: return std::nullopt;
  }
}

}  // namespace

bool isTaggedTree(std::string_view payload) { return payload.starts_with(std::string_view("\xE0\x00", 2)); }

int TaggedTree::nextSibling(int n) const {
  const Node& node = m_nodes[static_cast<std::size_t>(n)];
  if (node.parent < 0) return -1;
  return node.end < m_nodes[static_cast<std::size_t>(node.parent)].end ? node.end : -1;
}

int TaggedTree::child(int n, std::string_view wanted) const {
  if (n < 0) return -1;
  for (int c = firstChild(n); c >= 0; c = nextSibling(c))
    if (name(c) == wanted) return c;
  return -1;
}

int TaggedTree::find(std::string_view wanted, Kind kind) const {
  for (std::size_t i = 1; i < m_nodes.size(); ++i)
    if (m_nodes[i].kind == kind && name(static_cast<int>(i)) == wanted) return static_cast<int>(i);
  return -1;
}

const TaggedScalar* TaggedTree::scalar(int n) const {
  if (n < 0) return nullptr;
  const Node& node = m_nodes[static_cast<std::size_t>(n)];
  return node.kind == Kind::Value ? &m_scalars[node.first] : nullptr;
}

// One pass over the section with an explicit stack of open containers. The
// level of each value is the baseline (the previous value's level, one more
// when that value opened a struct) moved by its level codes, or by the move
// last seen after the same (field, kind) when it has none; its field is the
// declared or named one, else the open struct array's, else the predicted one.
class TaggedWalker {
 public:
  TaggedWalker(std::string_view payload, std::string_view stopAfter, TaggedTree& tree)
      : m_in(payload), m_stopAfter(stopAfter), m_tree(tree) {}

  void run() {
    m_extra.push_back({});
    m_stack.push_back({0, 0});
    while (!m_in.atEnd() && !m_done && step()) {
    }
    const auto end = static_cast<std::int32_t>(m_tree.m_nodes.size());
    for (const Open& open : m_stack) m_tree.m_nodes[static_cast<std::size_t>(open.node)].end = end;
  }

 private:
  struct Open {
    int node;
    std::uint32_t appended;
  };
  // What the walk knows of a field beyond its name and type.
  struct Extra {
    std::int64_t dims = -1;  // an inline array field's element count, once seen
    bool stop = false;       // the walk ends when a container of this field completes
  };
  struct Transition {
    bool known = false;
    std::int64_t delta = 0;
    int field = 0;
  };

  bool fail(const QString& reason) {
    m_tree.stop = QStringLiteral("%1 at byte 0x%2").arg(reason).arg(m_valueStart, 0, 16);
    return false;
  }

  Transition& transition(int field, int kind) { return m_transitions[static_cast<std::size_t>(field) * 3 + kind]; }

  bool declare(int& declared) {
    const auto type = m_in.u8();
    const auto name = m_in.cstring();
    if (!type || !name) return fail(QStringLiteral("the section ends inside a field declaration"));
    const auto t = fieldType(*type);
    if (!t) return fail(QStringLiteral("unknown field type 0x%1").arg(*type, 2, 16, QLatin1Char('0')));
    if (m_tree.m_fields.size() > kMaxFields) return fail(QStringLiteral("more than 100000 field declarations"));
    m_tree.m_fields.push_back({*name, *t});
    m_extra.push_back({-1, !m_stopAfter.empty() && *name == m_stopAfter});
    m_transitions.resize(m_tree.m_fields.size() * 3);
    declared = static_cast<int>(m_tree.m_fields.size() - 1);
    return true;
  }

  std::optional<std::int64_t> count() {
    TaggedScalar n;
    if (!readTaggedInteger(n, m_in) || n.tag != TaggedScalar::Tag::Integer || n.integer < 0) return std::nullopt;
    return n.integer;
  }

  // F8 n or F9 a b, the lead byte already taken.
  std::optional<std::int64_t> dimensions(std::uint8_t lead) {
    const auto a = count();
    if (!a || lead == 0xF8) return a;
    const auto b = count();
    if (!b || *a > std::int64_t{kMaxValues} || *b > std::int64_t{kMaxValues}) return std::nullopt;
    return *a * *b;
  }

  bool readScalar(FieldType type, TaggedScalar& out) {
    switch (type) {
      case FieldType::Integer: return readTaggedInteger(out, m_in);
      case FieldType::Byte: return readTaggedByte(out, m_in);
      case FieldType::Double: return readTaggedDouble(out, m_in);
      case FieldType::String: return readTaggedString(out, m_in);
      case FieldType::Struct: break;
    }
    return false;
  }

  std::size_t valuesLeft() const {
    const std::size_t used = m_tree.m_nodes.size() + m_tree.m_scalars.size();
    return used < kMaxValues ? kMaxValues - used : 0;
  }

  // The value of an integer, byte, double or string field: one scalar, or an
  // inline array with its repeats expanded.
  bool readInline(int field, TaggedTree::Node& node) {
    const FieldType type = m_tree.m_fields[static_cast<std::size_t>(field)].type;
    Extra& extra = m_extra[static_cast<std::size_t>(field)];
    std::int64_t n = extra.dims;
    if (const auto lead = m_in.peek(); lead && (*lead == 0xF8 || *lead == 0xF9)) {
      m_in.skip(1);
      const auto dims = dimensions(*lead);
      if (!dims) return fail(QStringLiteral("a damaged array count"));
      n = extra.dims = *dims;
    }
    auto& scalars = m_tree.m_scalars;
    node.first = static_cast<std::uint32_t>(scalars.size());
    if (n < 0) {
      TaggedScalar value;
      if (!readScalar(type, value)) return fail(QStringLiteral("an unknown or truncated value code"));
      if (valuesLeft() == 0) return fail(QStringLiteral("more than 2000000 values"));
      scalars.push_back(value);
      node.kind = Kind::Value;
      node.count = 1;
      return true;
    }
    if (static_cast<std::uint64_t>(n) > valuesLeft()) return fail(QStringLiteral("an array larger than the values allowed"));
    const std::size_t first = scalars.size();
    while (static_cast<std::int64_t>(scalars.size() - first) < n) {
      const auto lead = m_in.peek();
      if (!lead) return scalars.resize(first), fail(QStringLiteral("the section ends inside an array"));
      const std::uint8_t b = *lead;
      std::int64_t repeats = 0;
      if (b >= 0xE4 && b <= 0xE6) {
        m_in.skip(1);
        repeats = b - 0xE3;
      } else if (b == 0xE7) {
        m_in.skip(1);
        const auto k = count();
        if (!k) return scalars.resize(first), fail(QStringLiteral("a damaged repeat count"));
        repeats = *k;
      }
      if (repeats > 0) {
        if (scalars.size() == first || repeats > n - static_cast<std::int64_t>(scalars.size() - first))
          return scalars.resize(first), fail(QStringLiteral("a repeat runs past its array"));
        const TaggedScalar last = scalars.back();
        scalars.insert(scalars.end(), static_cast<std::size_t>(repeats), last);
      } else {
        TaggedScalar value;
        if (!readScalar(type, value))
          return scalars.resize(first), fail(QStringLiteral("an unknown or truncated value code in an array"));
        scalars.push_back(value);
      }
    }
    node.kind = Kind::Array;
    node.count = static_cast<std::uint32_t>(n);
    return true;
  }

  // Pops the open containers above `size` entries, ending the walk when one
  // of them is the container it was asked to stop after.
  void popTo(std::size_t size) {
    const auto end = static_cast<std::int32_t>(m_tree.m_nodes.size());
    while (m_stack.size() > size) {
      TaggedTree::Node& node = m_tree.m_nodes[static_cast<std::size_t>(m_stack.back().node)];
      node.end = end;
      // The elements of a struct array carry the array's field: only the array itself ends the walk.
      const bool element = m_tree.m_nodes[static_cast<std::size_t>(node.parent)].kind == Kind::StructArray;
      m_done = m_done || (m_extra[static_cast<std::size_t>(node.field)].stop && !element);
      m_stack.pop_back();
    }
  }

  bool step() {
    m_valueStart = m_in.offset();
    int declared = 0, named = 0;
    std::int64_t pops = -1;
    bool deeper = false;
    for (std::optional<std::uint8_t> b = m_in.peek(); b; b = m_in.peek()) {
      if (*b == 0xE0 && !declared) {
        m_in.skip(1);
        if (!declare(declared)) return false;
      } else if (*b >= 0xF0 && *b <= 0xF4 && pops < 0) {
        m_in.skip(1);
        if (*b < 0xF4) {
          pops = *b - 0xF0;
        } else if (const auto n = count()) {
          pops = *n;
        } else {
          return fail(QStringLiteral("a damaged level code"));
        }
      } else if (*b == 0xF7 && !named) {
        m_in.skip(1);
        const auto k = count();
        if (!k || *k < 1 || *k >= static_cast<std::int64_t>(m_tree.m_fields.size()))
          return fail(QStringLiteral("a reference to an undeclared field"));
        named = static_cast<int>(*k);
      } else if (*b == 0xFB && !deeper) {
        m_in.skip(1);
        deeper = true;
      } else {
        break;
      }
    }
    // A section ends with a level code and no value after it.
    if (m_in.atEnd()) return false;

    const Transition predicted = transition(m_prevField, m_prevKind);
    std::int64_t level = m_baseline;
    if (pops >= 0)
      level = m_baseline - pops + (deeper ? 1 : 0);
    else if (deeper)
      level = m_baseline + 1;
    else if (predicted.known)
      level = m_baseline + predicted.delta;
    if (level > kMaxDepth) return fail(QStringLiteral("nesting deeper than 512 levels"));
    if (level < 0 || level + 1 > static_cast<std::int64_t>(m_stack.size()))
      return fail(QStringLiteral("a value at level %1 outside any container").arg(level));
    popTo(static_cast<std::size_t>(level + 1));
    if (m_done) return false;

    const Open top = m_stack.back();
    const TaggedTree::Node container = m_tree.m_nodes[static_cast<std::size_t>(top.node)];
    const bool arrayOpen = container.kind == Kind::StructArray;
    int field = declared ? declared : named;
    if (!field) {
      if (arrayOpen && top.appended < container.count)
        field = container.field;
      else if (predicted.known)
        field = predicted.field;
      else
        return fail(QStringLiteral("a value whose field cannot be predicted"));
    }
    transition(m_prevField, m_prevKind) = {true, level - m_baseline, field};
    if (arrayOpen && top.appended >= container.count) return fail(QStringLiteral("array overrun"));

    TaggedTree::Node node;
    node.field = field;
    node.parent = top.node;
    int kind = 0;
    if (m_tree.m_fields[static_cast<std::size_t>(field)].type == FieldType::Struct) {
      const auto lead = m_in.u8();
      if (*lead == 0xE2 || *lead == 0xE3) {
        node.kind = Kind::Struct;
        kind = 1;
      } else if (*lead == 0xE1) {
        node.kind = Kind::Null;
      } else if (*lead == 0xF8 || *lead == 0xF9) {
        const auto n = dimensions(*lead);
        // Each element takes at least one byte.
        if (!n || *n > static_cast<std::int64_t>(m_in.remaining()))
          return fail(QStringLiteral("a struct array larger than the section"));
        node.kind = Kind::StructArray;
        node.count = static_cast<std::uint32_t>(*n);
        kind = 2;
      } else {
        return fail(QStringLiteral("an unknown struct lead byte 0x%1").arg(*lead, 2, 16, QLatin1Char('0')));
      }
      if (valuesLeft() == 0) return fail(QStringLiteral("more than 2000000 values"));
    } else if (!readInline(field, node)) {
      return false;
    }
    if (m_in.offset() == m_valueStart) return fail(QStringLiteral("a value of no bytes"));

    const auto index = static_cast<int>(m_tree.m_nodes.size());
    node.end = index + 1;
    m_tree.m_nodes.push_back(node);
    ++m_stack.back().appended;
    if (kind != 0) m_stack.push_back({index, 0});
    m_prevField = field;
    m_prevKind = kind;
    m_baseline = level + (kind == 1 ? 1 : 0);
    return true;
  }

  ByteCursor m_in;
  std::string_view m_stopAfter;
  TaggedTree& m_tree;
  std::vector<Extra> m_extra;
  std::vector<Transition> m_transitions = std::vector<Transition>(3);
  std::vector<Open> m_stack;
  std::size_t m_valueStart = 0;
  std::int64_t m_baseline = 0;
  int m_prevField = 0;
  int m_prevKind = 0;
  bool m_done = false;
};

TaggedTree readTaggedTree(std::string_view payload, std::string_view stopAfter) {
  TaggedTree tree;
  TaggedWalker(payload, stopAfter, tree).run();
  return tree;
}

}  // namespace kelvaron::reader
