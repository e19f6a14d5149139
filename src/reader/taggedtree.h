#pragma once
// The tagged-binary encoding of the model's data sections (NeuPrtSld,
// NeuAsmSld, BasicText, ...): a depth-first tree of typed fields whose field
// ids and nesting levels are written only where a reader cannot predict them.
//
// readTaggedTree() walks a decoded section into a flat tree that callers query
// by field name: node 0 is a virtual root; every value is one node; a node's
// subtree is the nodes [index + 1, end). Bounded in time and memory whatever
// the bytes say; a section that stops early keeps the tree read so far.

#include <QString>
#include <cstdint>
#include <string_view>
#include <vector>

namespace kelvaron::reader {

/// One leaf value, or one element of an inline array.
struct TaggedScalar {
  enum class Tag : std::uint8_t {
    Null,     ///< stored as null (E1 or F6)
    Unknown,  ///< a double code whose length is known but whose value is not
    Integer,
    Double,
    String,   ///< UTF-8 bytes without the E8 escape
  };
  Tag tag = Tag::Null;
  std::int64_t integer = 0;
  double real = 0;
  std::string_view text;
};

class TaggedTree {
 public:
  /// The declared type of a field (the byte after E0).
  enum class FieldType : std::uint8_t { Struct, Integer, Byte, Double, String };
  enum class Kind : std::uint8_t {
    Root,
    Struct,       ///< E2 (inline) or E3 (present pointer); its members are its children
    StructArray,  ///< F8 n / F9 a b of a struct field; its elements are its children
    Null,         ///< E1 of a struct field
    Value,        ///< one scalar
    Array,        ///< an inline array of scalars
  };
  struct Field {
    std::string_view name;
    FieldType type = FieldType::Struct;
  };
  struct Node {
    std::int32_t field = 0;   ///< index into fields(); 0 for the root
    std::int32_t parent = -1;
    std::int32_t end = 0;     ///< one past the last node of the subtree
    Kind kind = Kind::Root;
    std::uint32_t first = 0;  ///< Value, Array: the first scalar in scalars()
    std::uint32_t count = 0;  ///< Value: 1; Array: its scalars; StructArray: the elements it declares
  };

  const std::vector<Field>& fields() const { return m_fields; }
  const std::vector<Node>& nodes() const { return m_nodes; }
  const std::vector<TaggedScalar>& scalars() const { return m_scalars; }

  /// The field name of node `n` ("" for the root).
  std::string_view name(int n) const { return m_fields[static_cast<std::size_t>(m_nodes[n].field)].name; }
  /// The first child of `n`, or -1.
  int firstChild(int n) const { return n + 1 < m_nodes[n].end ? n + 1 : -1; }
  /// The next sibling of `n` under its parent, or -1.
  int nextSibling(int n) const;
  /// The first child of `n` named `name`, or -1 (also when `n` is -1).
  int child(int n, std::string_view name) const;
  /// The first node anywhere named `name` and of kind `kind`, or -1.
  int find(std::string_view name, Kind kind) const;
  /// The scalar of a Value node; nothing for other nodes and for -1.
  const TaggedScalar* scalar(int n) const;

  /// Empty when the section was read to its end (or to the requested stop);
  /// else why the walk stopped, with the payload offset: "array overrun at byte 0x2a1".
  QString stop;

 private:
  friend class TaggedWalker;
  std::vector<Field> m_fields{Field{}};
  std::vector<Node> m_nodes{Node{}};
  std::vector<TaggedScalar> m_scalars;
};

/// Walks the decoded section `payload` (from its first byte, E0). When
/// `stopAfter` is not empty the walk ends, without a stop reason, as soon as
/// a container of that field name is complete: the attributes of a model lie
/// early in a section whose remaining bulk is not needed.
TaggedTree readTaggedTree(std::string_view payload, std::string_view stopAfter = {});

/// True when a decoded section starts as a tagged-binary tree (E0 00).
bool isTaggedTree(std::string_view payload);

}  // namespace kelvaron::reader
