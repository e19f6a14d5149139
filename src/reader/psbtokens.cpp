#include "reader/psbtokens.h"

#include "reader/bytecursor.h"
#include "reader/intcode.h"
#include "reader/taggedcodes.h"

#include <optional>
#include <utility>
#include <vector>

namespace kelvaron::reader {

namespace {

using namespace std::string_view_literals;

constexpr std::string_view kMagic = "\xE0\x00PSB_Tokens\x00"sv;
constexpr std::string_view kTypeTag = "\xE0\x04type_har\x00"sv;
constexpr std::string_view kIntTag = "\xE0\x01int_har\x00"sv;
constexpr std::string_view kDoubleTag =
    "\xE0\x02"
    "double_xar\x00"sv;
constexpr std::string_view kStringTag = "\xE0\x03string_xar\x00"sv;
// The string table's slots may take 64 MB; real tables hold a few thousand.
constexpr std::int64_t kMaxStrings = (std::int64_t{64} << 20) / static_cast<std::int64_t>(sizeof(std::string_view));
// Real models nest a dozen levels; deeper input is damage, not data.
constexpr std::size_t kMaxDepth = 10000;

// Repeat bytes E4..E7 in the type and int streams: 1..4 more copies of the previous item.
int repeatCount(std::uint8_t b) { return b >= 0xE4 && b <= 0xE7 ? b - 0xE3 : 0; }

// An "F8 n" count: a plain non-negative integer code.
std::optional<std::int64_t> readCount(ByteCursor& in) {
  if (in.u8() != 0xF8) return std::nullopt;
  const auto code = readIntCode(in);
  if (!code || code->kind != IntCode::Kind::Value || code->value < 0) return std::nullopt;
  return code->value;
}

struct IntValue {
  bool null = false;
  std::int64_t value = 0;
};

// Reads one piece of a stream: an item into `item`, or a repeat count into
// `repeats` (1..4 more copies of the previous item, `item` left as it is).
// False on damage.
bool readTypePiece(ByteCursor& in, char& item, int& repeats) {
  const auto b = in.u8();
  if (!b) return false;
  repeats = repeatCount(*b);
  if (repeats == 0) item = static_cast<char>(*b);
  return true;
}

bool readIntPiece(ByteCursor& in, IntValue& item, int& repeats) {
  repeats = 0;
  // Most integers are one byte below 0x80: the value itself.
  if (const auto b = in.peek(); b && *b < 0x80) {
    in.skip(1);
    item = IntValue{false, *b};
    return true;
  }
  const auto code = readIntCode(in);
  if (!code) return false;
  if (code->kind == IntCode::Kind::Repeat)
    repeats = static_cast<int>(code->value);
  else
    item = IntValue{code->kind == IntCode::Kind::Null, code->value};
  return true;
}

// A stream's items with its repeats expanded, `count` items in all. next()
// fails at the end, on a repeat with nothing before it, or past the count.
// (Plain members, not optionals: the walk reads them once per token.)
template <typename Item, bool (*Read)(ByteCursor&, Item&, int&)>
class Expanded {
 public:
  Expanded(std::string_view bytes, std::int64_t count) : m_in(bytes), m_left(count) {}
  bool next(Item& item) {
    if (m_left <= 0) return false;
    if (m_repeats == 0) {
      int repeats = 0;
      if (!Read(m_in, m_last, repeats)) return false;
      if (repeats > 0) {
        if (!m_have) return false;
        m_repeats = repeats;
      } else {
        m_have = true;
      }
    }
    if (m_repeats > 0) --m_repeats;
    --m_left;
    item = m_last;
    return true;
  }
  bool exhausted() const { return m_left == 0 && m_repeats == 0; }
  bool consumedAll() const { return exhausted() && m_in.atEnd(); }

 private:
  ByteCursor m_in;
  std::int64_t m_left;
  int m_repeats = 0;
  bool m_have = false;
  Item m_last{};
};

using TypeStream = Expanded<char, &readTypePiece>;
using IntStream = Expanded<IntValue, &readIntPiece>;

// The pieces of the token stream. The type letters and the integers are
// walked once, by the walk itself: their ends are found by the tags after
// them (no type letter is 0xE0; the tag of the doubles or strings after the
// integers is long enough not to occur among them), and the walk checks that
// each stream holds exactly its count.
struct Streams {
  std::string_view types;
  std::int64_t typeCount = 0;
  std::string_view ints;
  std::int64_t intCount = 0;
  std::vector<std::string_view> strings;
};

// Where the integers end: at the doubles' tag, or at the strings' when there are no doubles.
std::size_t intsEnd(std::string_view bytes, std::size_t from) {
  for (std::size_t at = bytes.find('\xE0', from); at != std::string_view::npos; at = bytes.find('\xE0', at + 1)) {
    const std::string_view rest = bytes.substr(at);
    if (rest.starts_with(kDoubleTag) || rest.starts_with(kStringTag)) return at;
  }
  return std::string_view::npos;
}

std::optional<Streams> locate(std::string_view bytes, QString& why) {
  Streams s;
  ByteCursor in(bytes);
  in.consume(kMagic);
  in.consume("\xE2"sv);
  // The "format" field and anything else before the type letters.
  const std::size_t typeTag = bytes.find(kTypeTag, in.offset());
  if (typeTag == std::string_view::npos) return why = QStringLiteral("no type_har"), std::nullopt;
  in.seek(typeTag + kTypeTag.size());
  const auto typeCount = readCount(in);
  if (!typeCount) return why = QStringLiteral("damaged type_har count"), std::nullopt;
  s.typeCount = *typeCount;
  const std::size_t typesAt = in.offset();
  const std::size_t intTag = bytes.find(kIntTag, typesAt);
  if (intTag == std::string_view::npos) return why = QStringLiteral("no int_har after the type letters"), std::nullopt;
  s.types = bytes.substr(typesAt, intTag - typesAt);
  in.seek(intTag + kIntTag.size());

  const auto intCount = readCount(in);
  if (!intCount) return why = QStringLiteral("damaged int_har count"), std::nullopt;
  s.intCount = *intCount;
  const std::size_t intsAt = in.offset();
  const std::size_t after = intsEnd(bytes, intsAt);
  if (after == std::string_view::npos) return why = QStringLiteral("no string_xar"), std::nullopt;
  s.ints = bytes.substr(intsAt, after - intsAt);
  in.seek(after);

  // The double code is only partly known, so the doubles cannot be stepped
  // over: the strings are found by their tag, which follows the doubles.
  if (in.rest().starts_with(kDoubleTag)) {
    const std::size_t stringTag = bytes.find(kStringTag, in.offset());
    if (stringTag == std::string_view::npos) return why = QStringLiteral("no string_xar"), std::nullopt;
    in.seek(stringTag);
  }
  if (!in.consume(kStringTag)) return why = QStringLiteral("no string_xar after the integers"), std::nullopt;
  const auto stringCount = readCount(in);
  if (!stringCount) return why = QStringLiteral("damaged string_xar count"), std::nullopt;
  // A string may be a single NUL byte, so a small file that decodes to a
  // long run of them would claim a slot per byte: the slots are counted
  // against their own budget, as the decoded bytes are against theirs.
  if (*stringCount > kMaxStrings)
    return why = QStringLiteral("string_xar claims %1 strings, more than %2").arg(*stringCount).arg(kMaxStrings),
           std::nullopt;
  for (std::int64_t i = 0; i < *stringCount; ++i) {
    const auto str = in.cstring();
    if (!str) return why = QStringLiteral("string_xar ends before its %1 strings").arg(*stringCount), std::nullopt;
    // Strings share the escape of every tagged-binary string: a first byte
    // E0 or above is written after an extra E8.
    s.strings.push_back(unescapeTaggedString(*str));
  }
  return s;
}

// Where a struct, array or map sits in the model, as far as the walk cares.
enum class Role { Other, Root, OwnDescriptor, DependencyHolder, DependencyArray, Dependency, ToDescriptor };
enum class Kind { Struct, Array, Map };

struct Frame {
  Kind kind;
  Role role;
  std::string_view field;  // the pending field name of a struct
};

struct Dependency {
  std::optional<std::string_view> name, library, type, subtype, stored, storedLibrary;
  std::optional<std::int64_t> depType;
  bool component = false;
};

bool isDependencies(std::string_view field) { return field == "Dependencies" || field == "Dependencies_P"; }

QString text(std::optional<std::string_view> s) {
  return s ? QString::fromUtf8(s->data(), static_cast<qsizetype>(s->size())) : QString();
}

class Walker {
 public:
  explicit Walker(const Streams& s) : m_s(s), m_types(s.types, s.typeCount), m_ints(s.ints, s.intCount) {}

  bool run(AssemblyModel& out, QString& why);

 private:
  // The role of a value stored under the current position of the top frame.
  Role childRole() const {
    if (m_stack.empty()) return Role::Root;
    const Frame& top = m_stack.back();
    switch (top.role) {
      case Role::Root:
        if (top.field == "Descriptor") return Role::OwnDescriptor;
        if (isDependencies(top.field)) return Role::DependencyHolder;
        return Role::Other;
      case Role::DependencyHolder:
        return isDependencies(top.field) ? Role::DependencyArray : Role::Other;
      case Role::DependencyArray:
        return top.kind == Kind::Array ? Role::Dependency : Role::Other;
      case Role::Dependency:
        return top.field == "ToModelDescriptor" ? Role::ToDescriptor : Role::Other;
      default:
        return Role::Other;
    }
  }
  std::optional<std::string_view> string(const IntValue& v) const {
    if (v.null || v.value < 0 || static_cast<std::uint64_t>(v.value) >= m_s.strings.size()) return std::nullopt;
    return m_s.strings[static_cast<std::size_t>(v.value)];
  }
  void stringValue(std::optional<std::string_view> value);
  void intValue(const IntValue& value);
  void structValue(bool present);
  void finishDependency(AssemblyModel& out);

  const Streams& m_s;
  TypeStream m_types;
  IntStream m_ints;
  std::vector<Frame> m_stack;
  Dependency m_dep;
  std::optional<std::string_view> m_ownName, m_ownType;
  bool m_sawDependencies = false;
};

void Walker::stringValue(std::optional<std::string_view> value) {
  const Frame& top = m_stack.back();
  const std::string_view f = top.field;
  if (top.role == Role::OwnDescriptor) {
    if (f == "Name") m_ownName = value;
    if (f == "Type") m_ownType = value;
  } else if (top.role == Role::ToDescriptor) {
    if (f == "Name") m_dep.name = value;
    if (f == "LibraryName") m_dep.library = value;
    if (f == "Type") m_dep.type = value;
    if (f == "SubType") m_dep.subtype = value;
  } else if (top.role == Role::Dependency) {
    if (f == "ToModelNameAsStored") m_dep.stored = value;
    if (f == "ToLibraryNameAsStored") m_dep.storedLibrary = value;
  }
}

void Walker::intValue(const IntValue& value) {
  const Frame& top = m_stack.back();
  if (top.role == Role::Dependency && top.field == "DepType" && !value.null) m_dep.depType = value.value;
}

// A struct (M) or a null (N) stored at the current position.
void Walker::structValue(bool present) {
  if (m_stack.empty()) return;
  const Frame& top = m_stack.back();
  if (top.role == Role::Root && isDependencies(top.field)) m_sawDependencies = true;
  if (top.role == Role::Dependency && top.field == "Component") m_dep.component = m_dep.component || present;
}

void Walker::finishDependency(AssemblyModel& out) {
  const Dependency d = std::exchange(m_dep, {});
  if (!d.component) return;  // references, modeling sources and placeholders
  ModelComponent c;
  c.name = text(d.stored ? d.stored : d.name);
  const QString type = text(d.type);
  if (type == u"asm") {
    c.type = ComponentType::Assembly;
  } else if (!type.isEmpty() && type != u"prt") {
    c.source = type;  // a foreign part placed through Unite, such as SLDPRT
  }
  c.subtype = text(d.subtype);
  c.generic = text(d.storedLibrary ? d.storedLibrary : d.library);
  const std::int64_t depType = d.depType.value_or(0);
  c.quantity = (depType & 2) ? 1 : 0;
  c.suppressed = depType == 0x8000 ? 1 : 0;
  if (c.name.isEmpty()) {
    out.notes << QStringLiteral("a component without a name was left out");
    return;
  }
  out.add(std::move(c));
}

bool Walker::run(AssemblyModel& out, QString& why) {
  for (std::int64_t index = 0; !m_types.exhausted(); ++index) {
    char letter = 0;
    if (!m_types.next(letter))
      return why = QStringLiteral("type_har ends before its %1 tokens").arg(m_s.typeCount), false;
    if (m_stack.empty() && letter != 'M' && letter != 'C') {
      return why = QStringLiteral("token %1 ('%2') outside the model").arg(index).arg(QChar(letter)), false;
    }
    // The letters that carry an integer take it before anything else.
    IntValue value;
    if (letter == 'M' || letter == 'P' || letter == 'S' || letter == 'O' || letter == 'T' || letter == 'I' ||
        letter == 'F') {
      if (!m_ints.next(value)) return why = QStringLiteral("int_har ends before token %1").arg(index), false;
    }
    switch (letter) {
      case 'M':
      case 'P':
      case 'S': {
        if (letter == 'M' && !string(value)) return why = QStringLiteral("token %1 names no string").arg(index), false;
        if (m_stack.size() == kMaxDepth) return why = QStringLiteral("nesting deeper than %1").arg(kMaxDepth), false;
        const Role role = childRole();
        if (letter == 'M') structValue(true);
        if (!m_stack.empty() && m_stack.back().kind == Kind::Struct) m_stack.back().field = {};
        if (role == Role::Dependency) m_dep = {};
        m_stack.push_back({letter == 'M' ? Kind::Struct : letter == 'P' ? Kind::Array : Kind::Map, role, {}});
        break;
      }
      case 'O':
      case 'T': {
        const auto name = string(value);
        if (!name) return why = QStringLiteral("token %1 names no string").arg(index), false;
        m_stack.back().field = *name;
        break;
      }
      case 'I': {
        const auto text = string(value);
        if (!value.null && !text) return why = QStringLiteral("token %1 names no string").arg(index), false;
        stringValue(text);
        m_stack.back().field = {};
        break;
      }
      case 'F': {
        intValue(value);
        m_stack.back().field = {};
        break;
      }
      case 'N':
        structValue(false);
        m_stack.back().field = {};
        break;
      case 'H':  // the doubles are a separate stream that the walk never needs
      case 'Q':
        break;
      case 'C':
      case 'R':
      case 'U': {
        // The stream ends with one close more than it opened.
        if (m_stack.empty()) break;
        const Kind expected = letter == 'C' ? Kind::Struct : letter == 'R' ? Kind::Array : Kind::Map;
        if (m_stack.back().kind != expected)
          return why = QStringLiteral("token %1 closes the wrong level").arg(index), false;
        if (m_stack.back().role == Role::Dependency) finishDependency(out);
        m_stack.pop_back();
        break;
      }
      default:
        return why = QStringLiteral("unknown token letter 0x%1 at token %2")
                         .arg(static_cast<std::uint8_t>(letter), 2, 16, QChar(u'0'))
                         .arg(index),
               false;
    }
  }
  if (!m_stack.empty()) return why = QStringLiteral("the token stream ends inside the model"), false;
  if (!m_types.consumedAll())
    return why = QStringLiteral("type_har holds more than its %1 tokens").arg(m_s.typeCount), false;
  // Integers the walk did not ask for still have to fill the stream exactly.
  while (!m_ints.exhausted()) {
    IntValue rest;
    if (!m_ints.next(rest)) return why = QStringLiteral("int_har ends before its %1 values").arg(m_s.intCount), false;
  }
  if (!m_ints.consumedAll())
    return why = QStringLiteral("int_har holds more than its %1 values").arg(m_s.intCount), false;
  if (!m_sawDependencies) return why = QStringLiteral("no dependency list"), false;
  if (m_ownName && out.model.isEmpty()) {
    out.model = text(m_ownName) + (m_ownType && !m_ownType->empty() ? u'.' + text(m_ownType) : QString());
  }
  return true;
}

}  // namespace

bool isPsbTokens(std::string_view decoded) { return decoded.starts_with(kMagic); }

bool readPsbTokens(std::string_view decoded, AssemblyModel& model) {
  QString why;
  const auto streams = locate(decoded, why);
  AssemblyModel read;
  read.model = model.model;
  if (streams && Walker(*streams).run(read, why)) {
    model.model = read.model;
    for (ModelComponent& c : read.components) model.add(std::move(c));
    model.notes << read.notes;
    return true;
  }
  model.notes << QStringLiteral("damaged model section: %1").arg(why);
  return false;
}

}  // namespace kelvaron::reader
