// Every assembly of the shared corpus must give exactly the components, the
// writer and the generation its expected.json records; and where a Creo 2 or
// Wildfire 5 file keeps a DEPDB_DATA table, that fallback must agree too.

#include "reader/assemblyreader.h"
#include "reader/depdb.h"
#include "readerfixtures.h"

#include <gtest/gtest.h>

namespace kelvaron::reader {
namespace {

using namespace fixtures;

TEST(Corpus, EveryAssemblyGivesExactlyItsComponents) {
  const QJsonObject assemblies = expectedAssemblies();
  if (assemblies.isEmpty()) GTEST_SKIP() << "corpus absent: " << corpusDir().toStdString();
  int exact = 0;
  for (auto it = assemblies.begin(); it != assemblies.end(); ++it) {
    SCOPED_TRACE(it.key().toStdString());
    const QJsonObject expected = it.value().toObject();
    const FileModel read = readAssemblyFile(corpusDir() + u'/' + it.key());
    ASSERT_TRUE(read.error.isEmpty()) << read.error.toStdString();
    EXPECT_FALSE(read.model.failed) << read.model.notes.join(u"; ").toStdString();
    QStringList got = modelLines(read.model), want = expectedLines(expected);
    got.sort();
    want.sort();
    EXPECT_EQ(got, want);
    // The corpus also names the product for old writers.
    EXPECT_EQ(read.model.writer, expected.value(u"writer_version").toString().remove(QStringLiteral("Pro/ENGINEER ")));
    const QString generation = expected.value(u"generation").toString();
    EXPECT_EQ(read.model.generation, generation == u"legacy-text"     ? Generation::LegacyText
                                     : generation == u"wf5-depdb-xml" ? Generation::WildfireXml
                                                                      : Generation::CreoTokens);
    EXPECT_FALSE(read.model.model.isEmpty());
    exact += got == want ? 1 : 0;
  }
  std::printf("corpus: %d of %d assemblies exact\n", exact, int(assemblies.size()));
}

TEST(Corpus, DepdbTablesAgreeWithTheModelSection) {
  const QJsonObject assemblies = expectedAssemblies();
  if (assemblies.isEmpty()) GTEST_SKIP() << "corpus absent: " << corpusDir().toStdString();
  int agree = 0;
  QStringList disagree;
  for (auto it = assemblies.begin(); it != assemblies.end(); ++it) {
    const auto sections = rawSections(corpusDir() + u'/' + it.key());
    const auto depdb =
        std::find_if(sections.begin(), sections.end(), [](const auto& s) { return s.first.name == u"DEPDB_DATA"; });
    if (depdb == sections.end()) continue;
    AssemblyModel model;
    ASSERT_TRUE(readDepdb(depdb->second, model)) << it.key().toStdString();
    if (modelLines(model) == expectedLines(it.value().toObject()))
      ++agree;
    else
      disagree << it.key();
  }
  // conactor.asm.1 keeps the stale ONE_PART, placed by no live component feature.
  EXPECT_EQ(disagree, QStringList{QStringLiteral("Watt-sUP__creo2019/Componente/pls/conactor.asm.1")});
  EXPECT_EQ(agree, 25);
}

}  // namespace
}  // namespace kelvaron::reader
