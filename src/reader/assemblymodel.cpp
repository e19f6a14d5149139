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

void AssemblyModel::add(ModelComponent c) {
  for (ModelComponent& known : components) {
    if (known.type == c.type && known.name == c.name) {
      known.quantity += c.quantity;
      known.suppressed += c.suppressed;
      if (known.generic.isEmpty()) known.generic = c.generic;
      if (known.subtype.isEmpty()) known.subtype = c.subtype;
      return;
    }
  }
  if (c.file.isEmpty()) c.file = storedFileName(c.name, c.type, c.generic, c.source);
  components.push_back(std::move(c));
}

std::int64_t AssemblyModel::instanceCount() const {
  std::int64_t n = 0;
  for (const ModelComponent& c : components) n += c.quantity;
  return n;
}

}  // namespace kelvaron::reader
