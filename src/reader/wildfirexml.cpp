#include "reader/wildfirexml.h"

#include <QByteArray>
#include <QXmlStreamReader>
#include <charconv>
#include <cstdint>
#include <utility>
#include <vector>

namespace kelvaron::reader {

namespace {

constexpr std::int64_t kActive = 2;
constexpr std::int64_t kSuppressed = 0x8000;
// The real schema nests about a dozen levels; far deeper is no model section.
constexpr std::size_t kMaxDepth = 256;
// Longer text in a field the reader keeps is damage, not a name.
constexpr qsizetype kMaxFieldText = 64 * 1024;

/// The fields of one dependency item the reader needs.
struct Item {
  QString name;     // ToModelNameAsStored
  QString generic;  // ToLibraryNameAsStored
  QString type;     // ToModelDescriptor/Type
  QString subtype;  // ToModelDescriptor/SubType
  QString depType;
  bool hasComponent = false;
  bool componentNil = false;
  bool componentFilled = false;
};

bool isNil(const QXmlStreamAttributes& attributes) {
  for (const QXmlStreamAttribute& a : attributes)
    if (a.name() == QLatin1String("nil") && (a.value() == QLatin1String("true") || a.value() == QLatin1String("1")))
      return true;
  return false;
}

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

Tag tagOf(QStringView name) {
  static constexpr std::pair<QLatin1StringView, Tag> kTags[] = {
      {QLatin1StringView("Top"), Tag::Top},
      {QLatin1StringView("Dependencies"), Tag::Dependencies},
      {QLatin1StringView("item"), Tag::Item},
      {QLatin1StringView("Component"), Tag::Component},
      {QLatin1StringView("Descriptor"), Tag::Descriptor},
      {QLatin1StringView("ToModelDescriptor"), Tag::ToModelDescriptor},
      {QLatin1StringView("Name"), Tag::Name},
      {QLatin1StringView("Type"), Tag::Type},
      {QLatin1StringView("SubType"), Tag::SubType},
      {QLatin1StringView("ToModelNameAsStored"), Tag::ToModelNameAsStored},
      {QLatin1StringView("ToLibraryNameAsStored"), Tag::ToLibraryNameAsStored},
      {QLatin1StringView("DepType"), Tag::DepType},
  };
  for (const auto& [text, tag] : kTags)
    if (name.size() == text.size() && name == text) return tag;
  return Tag::Other;
}

class XmlWalk {
 public:
  explicit XmlWalk(const QByteArray& xml) : m_xml(xml) {}

  /// Walks the document up to the end of Top's dependency list; an empty
  /// string when that was read, else why not.
  QString run();

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
  void start();
  QString end();

  QXmlStreamReader m_xml;
  std::vector<Element> m_path;
  bool m_hasTop = false;
  bool m_done = false;    // Top's dependency list has ended: nothing later matters
  std::size_t m_top = 0;  // depth of <Top> once it was met
  bool m_inItem = false;
  Item m_item;
  QString m_text;
  qsizetype m_textSize = 0;  // of the current text, kept or not
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

void XmlWalk::start() {
  const Tag tag = tagOf(m_xml.name());
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
    m_item.componentNil = isNil(m_xml.attributes());
  } else if (depth == m_top + 5 && at(m_top + 4, Tag::Component)) {
    m_item.componentFilled = true;
  }
}

QString XmlWalk::end() {
  const std::size_t depth = m_path.size() - 1;
  const Tag tag = m_path.back().tag;
  if (m_hasTop && depth == m_top + 2 && at(m_top + 1, Tag::Descriptor)) {
    if (tag == Tag::Name)
      ownName = m_text;
    else if (tag == Tag::Type)
      ownType = m_text;
  } else if (m_inItem && depth == m_top + 4) {
    if (tag == Tag::ToModelNameAsStored)
      m_item.name = m_text;
    else if (tag == Tag::ToLibraryNameAsStored)
      m_item.generic = m_text;
    else if (tag == Tag::DepType)
      m_item.depType = m_text;
    else if (tag == Tag::Component && !m_text.trimmed().isEmpty())
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
      bool ok = false;
      const std::int64_t depType = m_item.depType.trimmed().toLongLong(&ok);
      if (!ok) return QStringLiteral("a component without a dependency type");
      if (m_item.name.isEmpty() || m_item.type.isEmpty()) return QStringLiteral("a component without a name or type");
      ModelComponent c;
      c.name = m_item.name;
      c.generic = m_item.generic;
      c.subtype = m_item.subtype;
      c.type = m_item.type == QLatin1String("asm") ? ComponentType::Assembly : ComponentType::Part;
      // A model of another CAD system placed through Creo: a part, its own type kept apart.
      if (m_item.type != QLatin1String("asm") && m_item.type != QLatin1String("prt")) c.source = m_item.type;
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

QString XmlWalk::run() {
  while (!m_done && !m_xml.atEnd()) {
    switch (m_xml.readNext()) {
      case QXmlStreamReader::StartElement:
        if (m_path.size() >= kMaxDepth) return QStringLiteral("elements nested too deep");
        start();
        break;
      case QXmlStreamReader::EndElement:
        if (m_path.empty()) return QStringLiteral("an unbalanced end tag");
        if (QString why = end(); !why.isEmpty()) return why;
        break;
      case QXmlStreamReader::Characters: {
        const QStringView text = m_xml.text();
        if (m_textSize + text.size() > kMaxFieldText) return QStringLiteral("a text longer than 64 KB");
        m_textSize += text.size();
        if (!m_path.empty() && m_path.back().keepText) m_text += text;
        break;
      }
      default:
        break;
    }
  }
  if (m_done) return {};
  if (m_xml.hasError()) return QStringLiteral("%1 (line %2)").arg(m_xml.errorString()).arg(m_xml.lineNumber());
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
  const QByteArray xml = QByteArray::fromRawData(rest.data(), static_cast<qsizetype>(length));
  XmlWalk walk(xml);
  if (const QString why = walk.run(); !why.isEmpty()) return damaged(why);
  for (ModelComponent& c : walk.components) model.add(std::move(c));
  if (model.model.isEmpty() && !walk.ownName.isEmpty())
    model.model = walk.ownType.isEmpty() ? walk.ownName : walk.ownName + u'.' + walk.ownType;
  return true;
}

}  // namespace kelvaron::reader
