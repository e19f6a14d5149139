// The model-data reader on the real files: every shared part and assembly
// must give the parameters, material, mass and picture that model-data.jsonl
// records; and damaged copies of them must still read without harm.

#include "reader/modeldata.h"
#include "reader/taggedtree.h"
#include "readerfixtures.h"

#include <QJsonArray>
#include <cmath>
#include <gtest/gtest.h>

namespace kelvaron::reader {
namespace {

bool sameReal(double got, double want) { return std::fabs(got - want) <= 1e-9 * std::max(1.0, std::fabs(want)); }

// A parameter as one comparable line: "NAME type value designated unit owner".
QString line(const QString& name, const QString& type, const QString& value, const QString& designated,
             const QString& unit, const QString& owner) {
  return QStringList{name, type, value, designated, unit, owner}.join(u' ');
}

QString jsonText(const QJsonValue& v) {
  if (v.isNull()) return QStringLiteral("null");
  if (v.isBool()) return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
  if (v.isString()) return u'"' + v.toString() + u'"';
  return QString::number(v.toDouble(), 'g', 17);
}

QString valueText(const ParameterValue& v, const QJsonValue& want) {
  if (std::holds_alternative<std::monostate>(v)) return QStringLiteral("null");
  if (const auto* b = std::get_if<bool>(&v)) return *b ? QStringLiteral("true") : QStringLiteral("false");
  if (const auto* s = std::get_if<QString>(&v)) return u'"' + *s + u'"';
  if (const auto* i = std::get_if<std::int64_t>(&v)) return QString::number(*i);
  const double d = std::get<double>(v);
  // Equal within the comparison's tolerance prints as the expected value.
  if (want.isDouble() && sameReal(d, want.toDouble())) return jsonText(want);
  return QString::number(d, 'g', 17);
}

QString optionalText(const std::optional<QString>& s) { return s ? u'"' + *s + u'"' : QStringLiteral("null"); }

QStringList expectedParameters(const QJsonArray& parameters) {
  QStringList lines;
  for (const QJsonValue& v : parameters) {
    const QJsonObject p = v.toObject();
    lines << line(p.value(u"name").toString(), p.value(u"type").toString(), jsonText(p.value(u"value")),
                  jsonText(p.value(u"designated")), jsonText(p.value(u"unit")), jsonText(p.value(u"owner")));
  }
  return lines;
}

QStringList readParameters(const ModelData& data, const QJsonArray& want) {
  QStringList lines;
  for (std::size_t i = 0; i < data.parameters.size(); ++i) {
    const Parameter& p = data.parameters[i];
    const QJsonValue wanted = i < std::size_t(want.size()) ? want[qsizetype(i)].toObject().value(u"value") : QJsonValue();
    lines << line(p.name, QString::fromLatin1(parameterTypeName(p.type)), valueText(p.value, wanted),
                  p.designated ? (*p.designated ? QStringLiteral("true") : QStringLiteral("false")) : QStringLiteral("null"),
                  optionalText(p.unit), optionalText(p.owner));
  }
  return lines;
}

QString pictureText(const std::optional<PictureInfo>& p) {
  if (!p) return QStringLiteral("null");
  return QStringLiteral("%1 %2x%3 %4 %5")
      .arg(p->format)
      .arg(p->width)
      .arg(p->height)
      .arg(p->bytes)
      .arg(p->compressed ? QStringLiteral("lzw") : QStringLiteral("raw"));
}

QString expectedPicture(const QJsonValue& v) {
  if (v.isNull()) return QStringLiteral("null");
  const QJsonObject p = v.toObject();
  return QStringLiteral("%1 %2x%3 %4 %5")
      .arg(p.value(u"format").toString())
      .arg(p.value(u"width").toInt())
      .arg(p.value(u"height").toInt())
      .arg(p.value(u"bytes").toInteger())
      .arg(p.value(u"stored").toString());
}

// The record's volume and, where the record gives it, its mass; the source names where it came from.
QString massText(const std::optional<MassProperties>& m) {
  if (!m) return QStringLiteral("null");
  return QStringLiteral("%1 %2 %3")
      .arg(m->source)
      .arg(m->volume ? QString::number(*m->volume, 'g', 12) : QStringLiteral("null"))
      .arg(m->mass ? QString::number(*m->mass, 'g', 12) : QStringLiteral("null"));
}

QString expectedMass(const QJsonValue& v) {
  if (v.isNull()) return QStringLiteral("null");
  const QJsonObject m = v.toObject();
  QString source = m.value(u"source").toString();
  if (source.endsWith(u".p_calc_obj_mp")) source.chop(14);
  const QJsonValue mass = m.value(u"mass");
  return QStringLiteral("%1 %2 %3")
      .arg(source, QString::number(m.value(u"volume").toDouble(), 'g', 12),
           mass.isNull() ? QStringLiteral("null") : QString::number(mass.toDouble(), 'g', 12));
}

TEST(ModelDataCorpus, EveryFileGivesItsRecordedData) {
  using namespace fixtures;
  QFile expected(corpusDir() + QStringLiteral("/model-data.jsonl"));
  if (!expected.open(QIODevice::ReadOnly)) GTEST_SKIP() << "corpus absent: " << corpusDir().toStdString();
  int files = 0, exact = 0;
  while (!expected.atEnd()) {
    const QJsonObject want = QJsonDocument::fromJson(expected.readLine()).object();
    const QString file = want.value(u"file").toString();
    SCOPED_TRACE(file.toStdString());
    const FileModelData read = readModelDataFile(QDir::cleanPath(corpusDir() + u'/' + file));
    ASSERT_TRUE(read.error.isEmpty()) << read.error.toStdString();
    const ModelData& data = read.data;
    const QJsonArray parameters = want.value(u"parameters").toArray();
    const QStringList got = readParameters(data, parameters), wanted = expectedParameters(parameters);
    EXPECT_EQ(got, wanted) << data.notes.join(u"; ").toStdString();
    EXPECT_EQ(data.parameterSource, want.value(u"parameter_source").toString());
    EXPECT_EQ(optionalText(data.material), jsonText(want.value(u"material")));
    EXPECT_EQ(pictureText(data.picture), expectedPicture(want.value(u"thumbnail")));
    // A Creo 9 record with a volume and no mass is reported here, its mass left empty.
    if (!want.value(u"mass").isNull() || !data.mass || data.mass->source != u"BasicText.gen_mass_prop_data") {
      EXPECT_EQ(massText(data.mass), expectedMass(want.value(u"mass")));
    }
    ++files;
    exact += got == wanted && optionalText(data.material) == jsonText(want.value(u"material")) &&
             pictureText(data.picture) == expectedPicture(want.value(u"thumbnail"));
  }
  std::printf("model data: %d of %d files exact\n", exact, files);
  EXPECT_GT(files, 100);
}

// The walker's strongest check: a misplaced level or field shows as a stop
// far from where it went wrong. Every tagged section of these kinds in the
// shared files is read to its last byte.
TEST(ModelDataCorpus, EveryDataSectionWalksToItsEnd) {
  using namespace fixtures;
  QFile expected(corpusDir() + QStringLiteral("/model-data.jsonl"));
  if (!expected.open(QIODevice::ReadOnly)) GTEST_SKIP() << "corpus absent: " << corpusDir().toStdString();
  int sections = 0;
  QStringList stops;
  while (!expected.atEnd()) {
    const QString file = QJsonDocument::fromJson(expected.readLine()).object().value(u"file").toString();
    const std::string bytes = readWhole(QDir::cleanPath(corpusDir() + u'/' + file));
    const MemorySource source(bytes);
    const auto header = parseUgcHeader(bytes);
    const std::size_t toc = header && header->base >= 0 ? bytes.find("#UGC_TOC", std::size_t(header->base)) : std::string::npos;
    if (toc == std::string::npos) continue;
    QStringList notes;
    for (const TocEntry& e : readToc(source, header->base, std::int64_t(toc), notes)) {
      if (e.name != "NeuPrtSld" && e.name != "NeuAsmSld" && e.name != "BasicText" && e.name != "MdlStatus") continue;
      std::string payload;
      QString why;
      ASSERT_TRUE(readSectionPayload(source, e, 64 << 20, payload, why)) << why.toStdString();
      const TaggedTree tree = readTaggedTree(payload);
      ++sections;
      if (!tree.stop.isEmpty()) stops << file + u' ' + QString::fromStdString(e.name) + u' ' + tree.stop;
    }
  }
  EXPECT_EQ(stops, QStringList()) << sections << " sections";
  EXPECT_GT(sections, 400);
}

}  // namespace
}  // namespace kelvaron::reader
