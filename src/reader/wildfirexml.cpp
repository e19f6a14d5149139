#include "reader/wildfirexml.h"

#include <expat.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

namespace kelvaron::reader {

namespace {

constexpr std::int64_t kActive = 2;
constexpr std::int64_t kSuppressed = 0x8000;
// The real schema nests about a dozen levels; far deeper is no model section.
constexpr std::size_t kMaxDepth = 256;
// Longer text in a field the reader keeps is damage, not a name.
constexpr std::size_t kMaxFieldText = 64 * 1024;

/// The fields of one dependency item the reader needs, as UTF-8.
struct Item {
  std::string name;     // ToModelNameAsStored
  std::string generic;  // ToLibraryNameAsStored
  std::string type;     // ToModelDescriptor/Type
  std::string subtype;  // ToModelDescriptor/SubType
  std::string depType;
  bool hasComponent = false;
  bool componentNil = false;
  bool componentFilled = false;
};

std::string_view localName(const XML_Char* name) {
  const std::string_view n(name);
  const std::size_t sep = n.rfind(':');
  return sep == std::string_view::npos ? n : n.substr(sep + 1);
}

// `xsi:nil="true"` (or "1") among an element's attributes, given as name, value, name, value, …, null.
bool isNil(const XML_Char** attributes) {
  for (; attributes[0] && attributes[1]; attributes += 2) {
    const std::string_view value(attributes[1]);
    if (localName(attributes[0]) == "nil" && (value == "true" || value == "1")) return true;
  }
  return false;
}

QString text(const std::string& utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

// The elements the walk tells apart; every other name is Other.
enum class Tag : std::uint8_t {
  Other,
  Top,
  Dependencies,
  Item,
  Component,
  Descriptor,
  ToModelDescriptor,
  Name,
  Type,
  SubType,
  ToModelNameAsStored,
  ToLibraryNameAsStored,
  DepType,
};

Tag tagOf(std::string_view name) {
  static constexpr std::pair<std::string_view, Tag> kTags[] = {
      {"Top", Tag::Top},
      {"Dependencies", Tag::Dependencies},
      {"item", Tag::Item},
      {"Component", Tag::Component},
      {"Descriptor", Tag::Descriptor},
      {"ToModelDescriptor", Tag::ToModelDescriptor},
      {"Name", Tag::Name},
      {"Type", Tag::Type},
      {"SubType", Tag::SubType},
      {"ToModelNameAsStored", Tag::ToModelNameAsStored},
      {"ToLibraryNameAsStored", Tag::ToLibraryNameAsStored},
      {"DepType", Tag::DepType},
  };
  for (const auto& [text, tag] : kTags)
    if (name == text) return tag;
  return Tag::Other;
}

// Expat's parser, freed however the walk ends.
struct ParserFree {
  void operator()(XML_Parser p) const { XML_ParserFree(p); }
};
using Parser = std::unique_ptr<std::remove_pointer_t<XML_Parser>, ParserFree>;

class XmlWalk {
 public:
  /// Walks the document up to the end of Top's dependency list; an empty
  /// string when that was read, else why not.
  QString run(std::string_view xml);

  std::vector<ModelComponent> components;
  QString ownName;
  QString ownType;

 private:
  struct Element {
    Tag tag;
    bool keepText;  // a field whose text the walk reads
  };
  bool at(std::size_t depth, Tag tag) const { return m_path.size() > depth && m_path[depth].tag == tag; }
  bool keepsText(std::size_t depth, Tag tag) const;
  void start(const XML_Char* name, const XML_Char** attributes);
  QString end();
  void characters(std::string_view text);
  // Ends the parse early: `why` empty when all that matters was read.
  // Expat may still call a handler after the stop; the first reason holds.
  void stop(QString why) {
    if (m_stopped) return;
    m_stopped = true;
    m_why = std::move(why);
    XML_StopParser(m_parser, XML_FALSE);
  }

  XML_Parser m_parser = nullptr;
  bool m_stopped = false;
  QString m_why;
  std::vector<Element> m_path;
  bool m_hasTop = false;
  bool m_done = false;    // Top's dependency list has ended: nothing later matters
  std::size_t m_top = 0;  // depth of <Top> once it was met
  bool m_inItem = false;
  Item m_item;
  std::string m_text;
  std::size_t m_textSize = 0;  // of the current text, kept or not
};

bool XmlWalk::keepsText(std::size_t depth, Tag tag) const {
  if (!m_hasTop) return false;
  if (depth == m_top + 2 && at(m_top + 1, Tag::Descriptor)) return tag == Tag::Name || tag == Tag::Type;
  if (!m_inItem) return false;
  if (depth == m_top + 4)
    return tag == Tag::ToModelNameAsStored || tag == Tag::ToLibraryNameAsStored || tag == Tag::DepType ||
           tag == Tag::Component;
  return depth == m_top + 5 && at(m_top + 4, Tag::ToModelDescriptor) && (tag == Tag::Type || tag == Tag::SubType);
}

void XmlWalk::start(const XML_Char* name, const XML_Char** attributes) {
  const Tag tag = tagOf(localName(name));
  const std::size_t depth = m_path.size();
  m_path.push_back({tag, false});
  m_text.clear();
  m_textSize = 0;
  if (!m_hasTop && tag == Tag::Top) {
    m_hasTop = true;
    m_top = depth;
  }
  if (!m_hasTop) return;
  // Top/Dependencies/Dependencies/item
  if (depth == m_top + 3 && at(m_top + 1, Tag::Dependencies) && at(m_top + 2, Tag::Dependencies) && tag == Tag::Item) {
    m_inItem = true;
    m_item = {};
    return;
  }
  m_path.back().keepText = keepsText(depth, tag);
  if (!m_inItem) return;
  if (depth == m_top + 4 && tag == Tag::Component) {
    m_item.hasComponent = true;
    m_item.componentNil = isNil(attributes);
  } else if (depth == m_top + 5 && at(m_top + 4, Tag::Component)) {
    m_item.componentFilled = true;
  }
}

QString XmlWalk::end() {
  const std::size_t depth = m_path.size() - 1;
  const Tag tag = m_path.back().tag;
  if (m_hasTop && depth == m_top + 2 && at(m_top + 1, Tag::Descriptor)) {
    if (tag == Tag::Name)
      ownName = text(m_text);
    else if (tag == Tag::Type)
      ownType = text(m_text);
  } else if (m_inItem && depth == m_top + 4) {
    if (tag == Tag::ToModelNameAsStored)
      m_item.name = m_text;
    else if (tag == Tag::ToLibraryNameAsStored)
      m_item.generic = m_text;
    else if (tag == Tag::DepType)
      m_item.depType = m_text;
    else if (tag == Tag::Component && m_text.find_first_not_of(" \t\r\n") != std::string::npos)
      m_item.componentFilled = true;
  } else if (m_inItem && depth == m_top + 5 && at(m_top + 4, Tag::ToModelDescriptor)) {
    if (tag == Tag::Type)
      m_item.type = m_text;
    else if (tag == Tag::SubType)
      m_item.subtype = m_text;
  } else if (m_inItem && depth == m_top + 3) {
    m_inItem = false;
    // A placed instance is an item with a Component; a nil or empty one is a reference.
    if (m_item.hasComponent && !m_item.componentNil && m_item.componentFilled) {
      std::string_view digits = m_item.depType;
      const std::size_t first = digits.find_first_not_of(" \t\r\n");
      digits = first == std::string_view::npos ? std::string_view() : digits.substr(first);
      digits = digits.substr(0, digits.find_last_not_of(" \t\r\n") + 1);
      std::int64_t depType = 0;
      if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
      const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), depType);
      if (digits.empty() || ec != std::errc() || ptr != digits.data() + digits.size())
        return QStringLiteral("a component without a dependency type");
      if (m_item.name.empty() || m_item.type.empty()) return QStringLiteral("a component without a name or type");
      ModelComponent c;
      c.name = text(m_item.name);
      c.generic = text(m_item.generic);
      c.subtype = text(m_item.subtype);
      c.type = m_item.type == "asm" ? ComponentType::Assembly : ComponentType::Part;
      // A model of another CAD system placed through Creo: a part, its own type kept apart.
      if (m_item.type != "asm" && m_item.type != "prt") c.source = text(m_item.type);
      c.quantity = (depType & kActive) ? 1 : 0;
      c.suppressed = depType == kSuppressed ? 1 : 0;
      components.push_back(std::move(c));
    }
  } else if (m_hasTop && depth == m_top + 1 && tag == Tag::Dependencies) {
    m_done = true;
  }
  m_text.clear();
  m_textSize = 0;
  m_path.pop_back();
  return {};
}

void XmlWalk::characters(std::string_view text) {
  if (m_textSize + text.size() > kMaxFieldText) return stop(QStringLiteral("a text longer than 64 KB"));
  m_textSize += text.size();
  if (!m_path.empty() && m_path.back().keepText) m_text += text;
}

QString XmlWalk::run(std::string_view xml) {
  // Without namespace processing, which costs much and adds nothing here: the
  // walk knows its elements by their local names. No external entity is ever
  // loaded, and expat bounds entity expansion itself.
  const Parser parser(XML_ParserCreate(nullptr));
  if (!parser) return QStringLiteral("out of memory");
  m_parser = parser.get();
  XML_SetUserData(m_parser, this);
  XML_SetElementHandler(
      m_parser,
      [](void* self, const XML_Char* name, const XML_Char** attributes) {
        auto& walk = *static_cast<XmlWalk*>(self);
        if (walk.m_stopped) return;
        if (walk.m_path.size() >= kMaxDepth) return walk.stop(QStringLiteral("elements nested too deep"));
        walk.start(name, attributes);
      },
      [](void* self, const XML_Char*) {
        auto& walk = *static_cast<XmlWalk*>(self);
        if (walk.m_stopped || walk.m_path.empty()) return;
        if (QString why = walk.end(); !why.isEmpty()) return walk.stop(std::move(why));
        if (walk.m_done) walk.stop({});
      });
  XML_SetCharacterDataHandler(m_parser, [](void* self, const XML_Char* s, int length) {
    auto& walk = *static_cast<XmlWalk*>(self);
    if (!walk.m_stopped) walk.characters({s, static_cast<std::size_t>(length)});
  });
  // Expat takes the length as an int; a section is far smaller (it is capped on decoding).
  const int length = static_cast<int>(std::min<std::size_t>(xml.size(), std::size_t{1} << 30));
  if (XML_Parse(m_parser, xml.data(), length, XML_TRUE) == XML_STATUS_ERROR) {
    if (XML_GetErrorCode(m_parser) == XML_ERROR_ABORTED) return m_done ? QString() : m_why;
    return QStringLiteral("%1 (line %2)")
        .arg(QString::fromUtf8(XML_ErrorString(XML_GetErrorCode(m_parser))))
        .arg(XML_GetCurrentLineNumber(m_parser));
  }
  if (m_done) return {};
  if (!m_hasTop) return QStringLiteral("no Top element");
  return {};
}

}  // namespace

bool readWildfireXml(std::string_view decoded, AssemblyModel& model) {
  const auto damaged = [&model](const QString& why) {
    model.notes << QStringLiteral("the XML model section is damaged: %1").arg(why);
    return false;
  };
  // An 8-character right-aligned hex length of the XML, then LF.
  if (decoded.size() < 9 || decoded[8] != '\n') return damaged(QStringLiteral("no length line"));
  std::string_view digits = decoded.substr(0, 8);
  while (!digits.empty() && digits.front() == ' ') digits.remove_prefix(1);
  std::uint64_t length = 0;
  const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), length, 16);
  if (digits.empty() || ec != std::errc() || ptr != digits.data() + digits.size())
    return damaged(QStringLiteral("a malformed length line"));
  const std::string_view rest = decoded.substr(9);
  if (length > rest.size())
    return damaged(QStringLiteral("%1 bytes of XML declared, %2 present").arg(length).arg(rest.size()));
  XmlWalk walk;
  if (const QString why = walk.run(rest.substr(0, length)); !why.isEmpty()) return damaged(why);
  for (ModelComponent& c : walk.components) model.add(std::move(c));
  if (model.model.isEmpty() && !walk.ownName.isEmpty())
    model.model = walk.ownType.isEmpty() ? walk.ownName : walk.ownName + u'.' + walk.ownType;
  return true;
}

}  // namespace kelvaron::reader
