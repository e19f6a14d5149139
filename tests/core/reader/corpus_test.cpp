// Every assembly of the shared corpus must give exactly the components its
// expected.json lists, and the shared samples what their README lists.

#include "reader/assemblyreader.h"
#include "readerfixtures.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <gtest/gtest.h>
#include <algorithm>

namespace kelvaron::reader {
namespace {

const QString kSamples = QStringLiteral(KELVARON_SAMPLES_DIR);
const QString kCorpus = kSamples + QStringLiteral("/../proe-corpus");

// One component as a comparable line: name|type|quantity|suppressed|generic|source.
QString line(const QString& name, const QString& type, qint64 quantity, qint64 suppressed, const QString& generic,
             const QString& source) {
  return QStringLiteral("%1|%2|%3|%4|%5|%6").arg(name, type).arg(quantity).arg(suppressed).arg(generic, source);
}

QStringList sorted(QStringList lines) {
  lines.sort();
  return lines;
}

QStringList linesOf(const AssemblyModel& m) {
  QStringList out;
  for (const ModelComponent& c : m.components) {
    out << line(c.name, QString::fromLatin1(typeName(c.type)), c.quantity, c.suppressed, c.generic, c.source);
  }
  return out;
}

TEST(Corpus, EveryAssemblyGivesExactlyItsComponents) {
  QFile file(kCorpus + QStringLiteral("/expected.json"));
  if (!file.open(QIODevice::ReadOnly)) GTEST_SKIP() << "corpus absent: " << kCorpus.toStdString();
  const QJsonObject assemblies = QJsonDocument::fromJson(file.readAll()).object().value(u"assemblies").toObject();
  ASSERT_FALSE(assemblies.isEmpty());
  int exact = 0;
  for (auto it = assemblies.begin(); it != assemblies.end(); ++it) {
    SCOPED_TRACE(it.key().toStdString());
    const QJsonObject expected = it.value().toObject();
    QStringList want;
    for (const QJsonValue v : expected.value(u"components").toArray()) {
      const QJsonObject c = v.toObject();
      want << line(c.value(u"name").toString(), c.value(u"type").toString(),
                   c.value(u"quantity").toInteger(), c.value(u"suppressed").toInteger(),
                   c.value(u"generic").toString(), c.value(u"source_type").toString());
    }
    const FileModel read = readAssemblyFile(kCorpus + u'/' + it.key());
    ASSERT_TRUE(read.error.isEmpty()) << read.error.toStdString();
    EXPECT_FALSE(read.model.failed) << read.model.notes.join(u"; ").toStdString();
    const QStringList got = linesOf(read.model);
    EXPECT_EQ(sorted(got), sorted(want));
    // The writer is the banner's text; the corpus also names the product for old writers.
    EXPECT_TRUE(!read.model.writer.isEmpty() && expected.value(u"writer_version").toString().endsWith(read.model.writer))
        << read.model.writer.toStdString();
    EXPECT_FALSE(read.model.model.isEmpty());
    exact += sorted(got) == sorted(want) ? 1 : 0;
  }
  std::printf("corpus: %d of %d assemblies exact\n", exact, int(assemblies.size()));
}

struct SampleCase {
  const char* file;
  Generation generation;
  const char* writer;
  const char* model;
  QStringList components;  // name|type|quantity|suppressed|generic|source, in order of first appearance
};

TEST(Samples, EachSampleReadsAsItsReadmeSays) {
  if (!QDir(kSamples).exists()) GTEST_SKIP() << "samples absent: " << kSamples.toStdString();
  const SampleCase cases[] = {
      {"top_15.asm.1", Generation::WildfireXml, "Wildfire 5.0 (M050)", "top_15.asm", {"TOP_5|assembly|3|0||"}},
      {"fridge.asm.4", Generation::CreoTokens, "Creo 2.0 (M030)", "fridge.asm",
       {"FRIDGE_BODY_R1|part|1|0||", "DOOR_R1|part|1|0||", "DOOR_INTERIOR|part|1|0||",
        "DOOR_INTERIOR_RAIL|part|1|0||", "HINGE_TOP|part|1|0||"}},
      {"baseplate.asm.2", Generation::CreoTokens, "Creo 3.0 (M080)", "baseplate.asm",
       {"BASEPLATE|part|1|0||", "ROUNDBOLT|part|4|0||", "SMALLNUT|part|4|0||"}},
      {"asm0001_pince.asm.21", Generation::CreoTokens, "Creo 9.0 (9.0.0.0)", "asm0001_pince.asm",
       {"top base|part|1|0||SLDPRT", "servo|part|1|0||SLDPRT", "servo r|part|1|0||SLDPRT",
        "rod1|part|1|0||SLDPRT", "rod2|part|1|0||SLDPRT", "grip right|part|1|0||SLDPRT", "GRIP|part|1|0||",
        "MAINTIEN_PIÈCE_V3|part|1|0||", "POT_DE_FLEUR|part|1|0||"}},
      {"control.asm", Generation::LegacyText, "Version G-01-14", "CONTROL",
       {"CONTROL_SHROUD|part|1|0||", "CONTROL_KNOB|part|3|0||"}},
  };
  for (const SampleCase& c : cases) {
    SCOPED_TRACE(c.file);
    const FileModel read = readAssemblyFile(kSamples + u'/' + QString::fromUtf8(c.file));
    ASSERT_TRUE(read.error.isEmpty()) << read.error.toStdString();
    EXPECT_EQ(read.model.generation, c.generation);
    EXPECT_EQ(read.model.writer, QString::fromUtf8(c.writer));
    EXPECT_EQ(read.model.model, QString::fromUtf8(c.model));
    EXPECT_EQ(linesOf(read.model), c.components);
  }
}

}  // namespace
}  // namespace kelvaron::reader
