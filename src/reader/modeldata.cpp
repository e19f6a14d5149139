#include "reader/modeldata.h"

#include "platform/nativepath.h"
#include "reader/container.h"
#include "reader/legacyparams.h"
#include "reader/picturesection.h"
#include "reader/scratch.h"
#include "reader/taggedtree.h"

#include <cmath>

namespace kelvaron::reader {

namespace {

constexpr std::int64_t kHeadProbe = 8192;
constexpr std::int64_t kHeadLimit = 65536;
// Data sections and pictures are a few hundred KB at most; this bound only
// stops a damaged or crafted length.
constexpr std::int64_t kMaxDecoded = std::int64_t{64} << 20;
constexpr std::string_view kNoMaterial = "PTC_SYSTEM_MTRL_PROPS";

QString text(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// The envelope of a file: header, banner and table of contents.
struct Layout {
  UgcHeader header;
  bool legacyText = false;  // a "#P_OBJECT" follows the header (Release 14 to Wildfire 4)
  bool hasToc = false;
  std::vector<TocEntry> toc;
  QString writer;
};

// Reads the envelope into `layout`; false with a note in `notes` when the
// file is not a native one, or with `readError` when it cannot be read.
bool readLayout(const ByteSource& file, std::string& head, Layout& layout, QStringList& notes, QString& readError) {
  if (!file.read(0, kHeadProbe, head, &readError)) return false;
  if (!std::string_view(head).starts_with("#UGC:")) {
    notes << QStringLiteral("no #UGC header: not a native model file");
    return false;
  }
  auto header = parseUgcHeader(head);
  if (!header && file.size() > kHeadProbe) {
    if (!file.read(0, kHeadLimit, head, &readError)) return false;
    header = parseUgcHeader(head);
  }
  if (!header) {
    notes << QStringLiteral("the file header does not end");
    return false;
  }
  layout.header = *header;
  const HeadCachedSource source(file, head);
  std::string probe;
  if (!source.read(header->end, 16, probe, &readError)) return false;
  layout.legacyText = std::string_view(probe).starts_with("#P_OBJECT");
  if (header->base < 0) return true;
  std::string banner;
  if (!source.read(header->base, 1024, banner, &readError)) return false;
  const std::size_t lf = banner.find('\n');
  if (lf == std::string::npos) return true;
  layout.writer = writerFromBanner(std::string_view(banner).substr(0, lf));
  if (!std::string_view(banner).substr(lf + 1).starts_with("#UGC_TOC")) return true;
  layout.hasToc = true;
  layout.toc = readToc(source, header->base, header->base + static_cast<std::int64_t>(lf) + 1, notes);
  return true;
}

std::optional<double> realOf(const TaggedScalar* s) {
  if (!s) return std::nullopt;
  if (s->tag == TaggedScalar::Tag::Double) return s->real;
  if (s->tag == TaggedScalar::Tag::Integer) return static_cast<double>(s->integer);
  return std::nullopt;
}

std::optional<QString> stringOf(const TaggedScalar* s) {
  if (!s || s->tag != TaggedScalar::Tag::String) return std::nullopt;
  return text(s->text);
}

// The decoded payload of a tagged-binary section; false with a note when it
// cannot be read or is of another layout.
bool readTaggedSection(const ByteSource& source, const TocEntry& entry, std::string& payload, QStringList& notes) {
  QString why;
  if (!readSectionPayload(source, entry, kMaxDecoded, payload, why)) {
    notes << why;
    return false;
  }
  if (!isTaggedTree(payload)) {
    notes << QStringLiteral("section %1 has an unknown layout").arg(text(entry.name));
    return false;
  }
  return true;
}

// One element of an attributes array: {name, value {type, value(<kind>)},
// ref_id, ref_type, ref_name, unit, designated}. Nothing (and a note) when it
// has no name or a type of no known kind.
std::optional<Parameter> attribute(const TaggedTree& tree, int element, QStringList& unknownReals, QStringList& notes) {
  const auto name = stringOf(tree.scalar(tree.child(element, "name")));
  if (!name || name->isEmpty()) {
    notes << QStringLiteral("a parameter without a name was left out");
    return std::nullopt;
  }
  Parameter p;
  p.name = *name;
  const int value = tree.child(element, "value");
  std::optional<std::int64_t> type;
  const TaggedScalar* member = nullptr;
  if (value >= 0) {
    for (int c = tree.firstChild(value); c >= 0; c = tree.nextSibling(c)) {
      const TaggedScalar* s = tree.scalar(c);
      if (tree.name(c) == "type" && s && s->tag == TaggedScalar::Tag::Integer)
        type = s->integer;
      else if (tree.name(c).starts_with("value") && !member)
        member = s;
    }
  }
  if (!type || *type < 50 || *type > 54) {
    notes << QStringLiteral("parameter %1 has the unknown type %2 and is left out")
                 .arg(p.name, type ? QString::number(*type) : QStringLiteral("(none)"));
    return std::nullopt;
  }
  static constexpr ParameterType kTypes[] = {ParameterType::Real, ParameterType::String, ParameterType::Integer,
                                             ParameterType::Boolean, ParameterType::Note};
  p.type = kTypes[*type - 50];
  switch (p.type) {
    case ParameterType::Real:
      if (const auto d = realOf(member)) p.value = *d;
      else if (member && member->tag == TaggedScalar::Tag::Unknown) unknownReals << p.name;
      break;
    case ParameterType::String:
    case ParameterType::Note:
      if (auto s = stringOf(member)) p.value = std::move(*s);
      break;
    case ParameterType::Integer:
    case ParameterType::Boolean:
      if (member && member->tag == TaggedScalar::Tag::Integer) {
        if (p.type == ParameterType::Integer) p.value = member->integer;
        else p.value = member->integer != 0;
      }
      break;
  }
  if (const TaggedScalar* d = tree.scalar(tree.child(element, "designated")); d && d->tag == TaggedScalar::Tag::Integer)
    p.designated = d->integer != 0;
  p.unit = stringOf(tree.scalar(tree.child(element, "unit")));
  p.owner = stringOf(tree.scalar(tree.child(element, "ref_name")));
  return p;
}

// The parameters of a NeuPrtSld / NeuAsmSld section.
void readAttributes(const ByteSource& source, const TocEntry& entry, ModelData& data) {
  const QString section = text(entry.name);
  Scratch buffer(Scratch::Payload);
  std::string& payload = buffer.get();
  if (!readTaggedSection(source, entry, payload, data.notes)) return;
  const TaggedTree tree = readTaggedTree(payload, "attributes");
  const int array = tree.find("attributes", TaggedTree::Kind::StructArray);
  if (array < 0) {
    data.notes << (tree.stop.isEmpty() ? QStringLiteral("no attributes in %1").arg(section)
                                       : QStringLiteral("%1: %2; no attributes before it").arg(section, tree.stop));
    return;
  }
  data.parameterSource = section + QStringLiteral(".attributes");
  QStringList unknownReals;
  for (int e = tree.firstChild(array); e >= 0; e = tree.nextSibling(e)) {
    if (tree.nodes()[static_cast<std::size_t>(e)].kind != TaggedTree::Kind::Struct) continue;
    if (auto p = attribute(tree, e, unknownReals, data.notes)) data.parameters.push_back(std::move(*p));
  }
  if (!unknownReals.isEmpty())
    data.notes << QStringLiteral("the value of %1 is stored in a number code not yet understood and is left empty")
                      .arg(unknownReals.join(QStringLiteral(", ")));
  if (!tree.stop.isEmpty()) data.notes << QStringLiteral("%1: %2; kept what was read before").arg(section, tree.stop);
}

bool sameValue(const ParameterValue& a, const ParameterValue& b) {
  if (std::holds_alternative<double>(a) && std::holds_alternative<double>(b)) {
    const double x = std::get<double>(a), y = std::get<double>(b);
    return std::fabs(x - y) <= 1e-9 * std::max(1.0, std::fabs(y));
  }
  return a == b;
}

// Wildfire 2 and 4 keep the parameters twice: the binary list is the one
// read, the text list is compared with it by name, type and value.
void compareWithText(const std::vector<Parameter>& text, ModelData& data) {
  bool same = text.size() == data.parameters.size();
  for (std::size_t i = 0; same && i < text.size(); ++i) {
    const Parameter& a = text[i];
    const Parameter& b = data.parameters[i];
    same = a.name == b.name && a.type == b.type && sameValue(a.value, b.value);
  }
  if (!same)
    data.notes << QStringLiteral("the parameters in NeuPrtSld/NeuAsmSld and in the text user_symbols differ; "
                                 "the binary list is shown");
}

const Parameter* parameter(const ModelData& data, QStringView name) {
  for (const Parameter& p : data.parameters)
    if (p.name == name) return &p;
  return nullptr;
}

std::optional<double> realParameter(const ModelData& data, QStringView name) {
  const Parameter* p = parameter(data, name);
  if (!p || !std::holds_alternative<double>(p->value)) return std::nullopt;
  return std::get<double>(p->value);
}

// The material from the parameters, when the file stores none of its own.
void materialFromParameters(ModelData& data) {
  for (const QStringView name : {u"PTC_MATERIAL_NAME", u"PTC_MASTER_MATERIAL", u"MATERIAL"}) {
    const Parameter* p = parameter(data, name);
    if (!p || !std::holds_alternative<QString>(p->value)) continue;
    const QString& value = std::get<QString>(p->value);
    if (value.isEmpty() || value == QLatin1String(kNoMaterial.data(), static_cast<qsizetype>(kNoMaterial.size())))
      continue;
    data.material = value;
    data.notes << QStringLiteral("material taken from parameter %1").arg(name);
    return;
  }
}

// A mass record of BasicText: mass_prop_ptr (up to Creo 8) or
// gen_mass_prop_data.p_calc_obj_mp (Creo 8 and later).
std::optional<MassProperties> massRecord(const TaggedTree& tree, QStringList& notes) {
  const auto real = [&](int node, std::string_view name) { return realOf(tree.scalar(tree.child(node, name))); };
  if (const int record = tree.find("mass_prop_ptr", TaggedTree::Kind::Struct); record >= 0) {
    MassProperties m{QStringLiteral("BasicText.mass_prop_ptr"), real(record, "density"), real(record, "volume"),
                     real(record, "surfarea"), std::nullopt};
    if (m.density && m.volume) m.mass = *m.density * *m.volume;
    if (m.volume && *m.volume != 0) return m;
  }
  const int general = tree.find("gen_mass_prop_data", TaggedTree::Kind::Struct);
  const int record = general < 0 ? -1 : tree.child(general, "p_calc_obj_mp");
  if (record < 0 || tree.nodes()[static_cast<std::size_t>(record)].kind != TaggedTree::Kind::Struct) return std::nullopt;
  MassProperties m{QStringLiteral("BasicText.gen_mass_prop_data"), real(record, "aver_density"),
                   real(record, "volume"), std::nullopt, real(record, "mass")};
  const int area = tree.child(record, "surfarea");
  if (area >= 0) m.area = tree.nodes()[static_cast<std::size_t>(area)].kind == TaggedTree::Kind::Struct
                              ? real(area, "value")
                              : realOf(tree.scalar(area));
  if (!m.volume || *m.volume == 0) return std::nullopt;
  // A record with a volume and a zero mass has no density assigned: the mass is not known.
  if (m.mass && *m.mass == 0) {
    m.mass.reset();
    notes << QStringLiteral("the mass record has a volume but no mass (no density assigned)");
  }
  if (m.density && *m.density == 0) m.density.reset();
  return m;
}

std::optional<MassProperties> massFromParameters(const ModelData& data) {
  MassProperties m{QStringLiteral("parameters"), realParameter(data, u"PRO_MP_DENSITY"),
                   realParameter(data, u"PTC_MP_VAL_IMP_VOLUME"), realParameter(data, u"PTC_MP_VAL_IMP_AREA"),
                   realParameter(data, u"PRO_MP_MASS")};
  if (!m.volume) m.volume = realParameter(data, u"PRO_MP_VOLUME");
  if (!m.area) m.area = realParameter(data, u"PRO_MP_AREA");
  if (!m.volume || *m.volume == 0) return std::nullopt;
  return m;
}

// BasicText: the material name and the last computed mass properties.
void readBasicText(const ByteSource& source, const TocEntry& entry, unsigned what, ModelData& data,
                   bool& materialRead) {
  Scratch buffer(Scratch::Payload);
  std::string& payload = buffer.get();
  if (!readTaggedSection(source, entry, payload, data.notes)) return;
  const TaggedTree tree = readTaggedTree(payload);
  if (!tree.stop.isEmpty()) data.notes << QStringLiteral("BasicText: %1; kept what was read before").arg(tree.stop);
  if (what & ReadMaterial) {
    const int name = tree.find("mat_name_ptr", TaggedTree::Kind::Value);
    if (const TaggedScalar* s = name < 0 ? nullptr : tree.scalar(name); s && s->tag == TaggedScalar::Tag::String) {
      materialRead = true;
      if (!s->text.empty() && s->text != kNoMaterial) data.material = text(s->text);
    }
  }
  if (what & ReadMass) data.mass = massRecord(tree, data.notes);
}

}  // namespace

const char* parameterTypeName(ParameterType type) {
  switch (type) {
    case ParameterType::Real: return "real";
    case ParameterType::String: return "string";
    case ParameterType::Integer: return "integer";
    case ParameterType::Boolean: return "boolean";
    case ParameterType::Note: return "note";
  }
  return "string";
}

namespace {

ModelData readModelDataImpl(const ByteSource& file, unsigned what, QString& readError) {
  ModelData data;
  Scratch headBuffer(Scratch::Head);
  std::string& head = headBuffer.get();
  Layout layout;
  if (!readLayout(file, head, layout, data.notes, readError)) return data;
  const HeadCachedSource source(file, head);
  data.kind = layout.header.kind;
  data.release = layout.header.release;
  data.model = layout.header.ownName;
  data.writer = layout.writer;

  const bool wantsParameters = what & (ReadParameters | ReadMaterial | ReadMass);
  LegacyModelData legacy;
  if (layout.legacyText && (wantsParameters || data.writer.isEmpty())) {
    legacy = readLegacyModelData(source, layout.header.end, !layout.hasToc);
    data.notes << legacy.notes;
    if (data.writer.isEmpty()) data.writer = legacy.writer;
  }
  if (wantsParameters) {
    const bool part = layout.header.kind == u"PART";
    const bool assembly = layout.header.kind.startsWith(u"ASSEMBLY");
    const TocEntry* neutral = findSection(layout.toc, part ? "NeuPrtSld" : assembly ? "NeuAsmSld" : "NeuPrtSld");
    if (!neutral && !part && !assembly) neutral = findSection(layout.toc, "NeuAsmSld");
    if (neutral) readAttributes(source, *neutral, data);
    if (layout.legacyText && legacy.hasUserSymbols) {
      if (data.parameterSource.isEmpty()) {
        data.parameters = legacy.parameters;
        data.parameterSource = QStringLiteral("P_OBJECT.user_symbols");
      } else {
        compareWithText(legacy.parameters, data);
      }
    } else if (layout.legacyText && data.parameterSource.isEmpty()) {
      data.notes << QStringLiteral("legacy text file without user_symbols: no parameters stored");
    }
  }
  bool materialRead = false;
  if (what & (ReadMaterial | ReadMass)) {
    if (const TocEntry* basic = findSection(layout.toc, "BasicText"))
      readBasicText(source, *basic, what, data, materialRead);
    if (layout.legacyText && !layout.hasToc && legacy.material) {
      data.material = legacy.material;
      materialRead = true;
    }
    if ((what & ReadMaterial) && !materialRead) materialFromParameters(data);
    if ((what & ReadMass) && !data.mass) data.mass = massFromParameters(data);
  }
  if (!(what & ReadMaterial)) data.material.reset();
  if (!(what & ReadParameters)) {
    data.parameters.clear();
    data.parameterSource.clear();
  }
  if (what & ReadPicture) {
    if (!layout.hasToc) {
      data.notes << (layout.legacyText ? QStringLiteral("no thumbnail section (legacy text file)")
                                       : QStringLiteral("no thumbnail section"));
    } else {
      std::string bytes;
      PictureInfo info;
      QString why;
      if (readPictureSection(source, layout.toc, bytes, info, why))
        data.picture = info;
      else
        data.notes << why;
    }
  }
  return data;
}

}  // namespace

ModelData readModelData(const ByteSource& source, unsigned what) {
  QString readError;
  ModelData data = readModelDataImpl(source, what, readError);
  if (!readError.isEmpty()) data.notes << readError;
  return data;
}

FileModelData readModelDataFile(const QString& path, unsigned what) {
  FileModelData result;
  FileSource source;
  QString reason;
  if (!source.open(path, &reason)) {
    result.error = QStringLiteral("cannot read %1: %2").arg(platform::displayPath(path), reason);
    return result;
  }
  result.data = readModelDataImpl(source, what, reason);
  if (!reason.isEmpty()) result.error = QStringLiteral("cannot read %1: %2").arg(platform::displayPath(path), reason);
  return result;
}

Picture readPicture(const ByteSource& file) {
  Picture picture;
  Scratch headBuffer(Scratch::Head);
  std::string& head = headBuffer.get();
  Layout layout;
  QStringList notes;
  if (!readLayout(file, head, layout, notes, picture.error)) {
    if (picture.error.isEmpty()) picture.error = notes.value(0);
    return picture;
  }
  if (!layout.hasToc) {
    picture.error = QStringLiteral("no picture stored (the file's generation keeps none)");
    return picture;
  }
  const HeadCachedSource source(file, head);
  if (!readPictureSection(source, layout.toc, picture.bytes, picture.info, picture.error)) picture.bytes.clear();
  return picture;
}

Picture readPictureFile(const QString& path) {
  FileSource source;
  QString reason;
  if (!source.open(path, &reason)) {
    Picture picture;
    picture.error = QStringLiteral("cannot read %1: %2").arg(platform::displayPath(path), reason);
    return picture;
  }
  return readPicture(source);
}

}  // namespace kelvaron::reader
