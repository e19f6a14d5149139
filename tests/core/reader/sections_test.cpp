// The binary container's readers on real sections: the Wildfire XML model
// section (LZW payloads decoded by gzip) and the DEPDB_DATA fallback.
#include "reader/depdb.h"
#include "reader/wildfirexml.h"

#include "core/reader/corpus.h"

#include <gtest/gtest.h>

namespace kelvaron::reader {
namespace {

using test::corpusDir;

std::string_view view(const QByteArray& bytes) { return {bytes.constData(), static_cast<std::size_t>(bytes.size())}; }

// Wildfire 5 files and the two Wildfire 4 files, whose XML section matches their text table.
TEST(WildfireXml, CorpusModelSectionsGiveTheExpectedComponents) {
  const QJsonObject assemblies = test::expectedAssemblies();
  if (assemblies.isEmpty()) GTEST_SKIP() << "corpus absent: " << corpusDir().toStdString();
  int checked = 0;
  for (auto it = assemblies.begin(); it != assemblies.end(); ++it) {
    const QJsonObject expected = it.value().toObject();
    const QString generation = expected.value(QStringLiteral("generation")).toString();
    const QByteArray file = test::readWhole(corpusDir() + u'/' + it.key());
    const QByteArray section = generation == QStringLiteral("wf5-depdb-xml") ? "ND:0:Model_L03_D" : "ND:0:Model_L01";
    const auto lzw = test::sectionPayload(file, section);
    if (!lzw) continue;
    const auto decoded = test::gunzip(*lzw);
    if (!decoded) GTEST_SKIP() << "gzip cannot decode the model sections here";
    SCOPED_TRACE(it.key().toStdString());
    AssemblyModel model;
    EXPECT_TRUE(readWildfireXml(view(*decoded), model)) << model.notes.join(u'\n').toStdString();
    EXPECT_EQ(test::modelLines(model), test::expectedLines(expected));
    EXPECT_EQ(model.model, QFileInfo(it.key()).completeBaseName().section(u'.', 0, 1));
    ++checked;
  }
  EXPECT_EQ(checked, 12);
}

TEST(Depdb, CorpusTablesAgreeWithTheModelSectionWhereTheyAgree) {
  const QJsonObject assemblies = test::expectedAssemblies();
  if (assemblies.isEmpty()) GTEST_SKIP() << "corpus absent: " << corpusDir().toStdString();
  int agree = 0;
  QStringList disagree;
  for (auto it = assemblies.begin(); it != assemblies.end(); ++it) {
    const QByteArray file = test::readWhole(corpusDir() + u'/' + it.key());
    const auto payload = test::sectionPayload(file, "DEPDB_DATA");
    if (!payload) continue;
    AssemblyModel model;
    ASSERT_TRUE(readDepdb(view(*payload), model)) << it.key().toStdString();
    if (test::modelLines(model) == test::expectedLines(it.value().toObject())) ++agree;
    else disagree << it.key();
  }
  // conactor.asm.1 keeps the stale ONE_PART, placed by no live component feature.
  EXPECT_EQ(disagree, QStringList{QStringLiteral("Watt-sUP__creo2019/Componente/pls/conactor.asm.1")});
  EXPECT_EQ(agree, 25);
}

}  // namespace
}  // namespace kelvaron::reader
