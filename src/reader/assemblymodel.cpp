#include "reader/assemblymodel.h"

namespace kelvaron::reader {

const char* generationName(Generation generation) {
  switch (generation) {
    case Generation::LegacyText:
      return "legacy-text";
    case Generation::WildfireXml:
      return "wildfire-xml";
    case Generation::CreoTokens:
      return "creo-tokens";
    case Generation::Unknown:
      break;
  }
  return "unknown";
}

const char* typeName(ComponentType type) { return type == ComponentType::Assembly ? "assembly" : "part"; }

QString storedFileName(const QString& name, ComponentType type, const QString& generic, const QString& source) {
  const QString& base = generic.isEmpty() ? name : generic;
  if (!source.isEmpty()) return base + u'.' + source;
  return base.toLower() + (type == ComponentType::Assembly ? QStringLiteral(".asm") : QStringLiteral(".prt"));
}

namespace {

QString positionKey(ComponentType type, const QString& name) {
  return (type == ComponentType::Assembly ? u'a' : u'p') + name;
}

}  // namespace

void AssemblyModel::add(ModelComponent c) {
  // Most assemblies name a few dozen components, where a scan is cheaper
  // than hashing; past that an index keeps each call constant.
  constexpr std::size_t kScanned = 32;
  ModelComponent* known = nullptr;
  if (components.size() <= kScanned) {
    for (ModelComponent& k : components) {
      if (k.type == c.type && k.name == c.name) {
        known = &k;
        break;
      }
    }
  } else {
    if (m_positions.size() != static_cast<qsizetype>(components.size())) {
      m_positions.clear();
      for (std::size_t i = 0; i < components.size(); ++i)
        m_positions.insert(positionKey(components[i].type, components[i].name), i);
    }
    if (const auto it = m_positions.constFind(positionKey(c.type, c.name)); it != m_positions.cend())
      known = &components[*it];
  }
  if (known) {
    known->quantity += c.quantity;
    known->suppressed += c.suppressed;
    if (known->generic.isEmpty()) known->generic = c.generic;
    if (known->subtype.isEmpty()) known->subtype = c.subtype;
    return;
  }
  if (c.file.isEmpty()) c.file = storedFileName(c.name, c.type, c.generic, c.source);
  if (!m_positions.isEmpty()) m_positions.insert(positionKey(c.type, c.name), components.size());
  components.push_back(std::move(c));
}

std::int64_t AssemblyModel::instanceCount() const {
  std::int64_t n = 0;
  for (const ModelComponent& c : components) n += c.quantity;
  return n;
}

}  // namespace kelvaron::reader
