// The envelope: the header, the table of contents, positioned reads from a
// real file; the real corpus; and hostile input:
// every case must end with a model (failed or not), a note where it failed,
// and sane counts; none may crash, hang or allocate by a claim.

#include "reader/assemblyreader.h"
#include "readerfixtures.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <tuple>
#include <utility>
#include <vector>
#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace kelvaron::reader {
namespace {

std::string headerWith(const std::string& first, const std::string& cmnm) {
  return first + " \\\n#- VERS 0 0 \\\n" + (cmnm.empty() ? "" : "#- CMNM " + cmnm + "    \\\n") +
         "#-END_OF_UGC_HEADER\n";
}

TEST(Container, Header) {
  const std::pair<std::string, const char*> cases[] = {
      // The CMNM length counts UTF-8 bytes.
      {headerWith("#UGC:2 ASSEMBLY 1 2 3 1 1 15 4000 2024001 00000200", "011roue_arri\xC3\xA8re.asm"),
       "ASSEMBLY 4000 512 roue_arri\xC3\xA8re.asm"},
      // A CMNM length past the header's end names nothing.
      {headerWith("#UGC:2 PART 1 2 3 1 1 15 4000 2024001 00000200", "fffa.prt"), "PART 4000 512 "},
      // A base inside the header cannot be the banner's offset.
      {headerWith("#UGC:2 ASSEMBLY 1 2 3 1 1 15 4000 2024001 00000010", ""), "ASSEMBLY 4000 -1 "},
      {"#UGC:2 ASSEMBLY 1 2 3 1 1 15 4000 2024001 00000200 \\\n#- VERS", "none"},
      {"%PDF-1.4 #-END_OF_UGC_HEADER\n", "none"},
  };
  for (const auto& [head, want] : cases) {
    const auto h = parseUgcHeader(head);
    EXPECT_EQ(h ? QStringLiteral("%1 %2 %3 %4").arg(h->kind).arg(h->release).arg(h->base).arg(h->ownName)
                : QStringLiteral("none"),
              QString::fromUtf8(want));
    EXPECT_TRUE(!h || h->end == std::int64_t(head.size())) << head;
  }
}

TEST(FileSource, PositionedReadsAndRefusals) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("a.asm"));
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write("0123456789") == 10 && f.flush());
  FileSource source;
  QString reason;
  ASSERT_TRUE(source.open(path, &reason)) << reason.toStdString();
  std::string out;
  const std::tuple<int, int, const char*> reads[] = {{2, 3, "234"}, {8, 100, "89"}, {10, 5, ""}, {-1, 5, ""}};
  for (const auto& [offset, length, bytes] : reads) {
    ASSERT_TRUE(source.read(offset, length, out, &reason));
    EXPECT_EQ(out, bytes);
  }
  ASSERT_TRUE(f.resize(4));  // shorter than when it was opened
  EXPECT_FALSE(source.read(0, 10, out, &reason));
  EXPECT_EQ(reason, QStringLiteral("the file changed while it was read"));
  std::vector<std::pair<QString, QString>> others{{dir.path(), QStringLiteral("Is a directory")}};
#ifndef _WIN32
  // A FIFO must not wait for a writer.
  others.emplace_back(dir.filePath(QStringLiteral("fifo.asm")), QStringLiteral("not a regular file"));
  ASSERT_EQ(::mkfifo(QFile::encodeName(others.back().first).constData(), 0600), 0);
#endif
  for (const auto& [other, why] : others) {
    EXPECT_FALSE(FileSource().open(other, &reason));
    EXPECT_EQ(reason, why) << other.toStdString();
  }
}

void expectSane(const AssemblyModel& m, const std::string& what) {
  EXPECT_TRUE(!m.failed || !m.notes.isEmpty()) << what;
  for (const ModelComponent& c : m.components)
    EXPECT_TRUE(!c.name.isEmpty() && c.quantity >= 0 && c.suppressed >= 0) << what << ": " << c.name.toStdString();
}

const std::string kTokens = fixtures::Psb()
                                .modelWithDependencies(2)
                                .dependency("BOLT", "prt", 2, true)
                                .dependency("NUT", "prt", 2, true)
                                .closeModel()
                                .bytes();

const std::string kModel = "ND:0:Model_L05_PX:1";

TEST(Hostile, ContainerCases) {
  // Codes each naming the entry they create: runs of zeros one longer each time, about 64 MB.
  std::vector<std::uint32_t> codes{0};
  for (std::uint32_t c = 256; codes.size() < 11586; ++c) codes.push_back(c);
  const std::string bomb = fixtures::packCodes(codes);
  const std::int64_t bombSize = 11586ll * 11587 / 2;
  // What, the sections of the file, a piece of the note it must give.
  const std::tuple<const char*, std::vector<fixtures::Section>, const char*> cases[] = {
      {"a TOC pointing past the end", {{kModel, kTokens, std::int64_t{1} << 40, {}, {}}}, "outside the file"},
      {"a TOC declaring a 4 GB section", {{kModel, kTokens, {}, std::int64_t{1} << 32, {}}}, "outside the file"},
      {"a TOC offset off the section", {{kModel, kTokens, 5, {}, {}}}, "not where the table of contents says"},
      {"an LZW bomb declared small", {{kModel, bomb, {}, {}, 4096}}, "more than the 4096 bytes"},
      {"an LZW bomb declared in full", {{kModel, bomb, {}, {}, bombSize}}, "unknown layout"},
      {"an LZW bomb declaring 4 GB", {{kModel, bomb, {}, {}, std::int64_t{1} << 32}}, "unknown layout"},
      {"a damaged LZW stream", {{kModel, fixtures::packCodes({'a', 400}), {}, {}, {}}}, "damaged compressed data"},
      {"no model section", {{"BasicData", "x", {}, {}, {}}}, "no model section"},
      // The TOC block starts after the 65-byte banner.
      {"a TOC chain that loops", {{kModel, "x", {}, {}, {}}, {"NEXT_TOC_ENTRY", "", 65, {}, {}}}, "loops"},
  };
  for (const auto& [what, sections, note] : cases) {
    const AssemblyModel m = readAssembly(MemorySource(fixtures::creoFile(sections)));
    EXPECT_TRUE(m.failed) << what;
    EXPECT_TRUE(m.notes.join(u"; ").contains(QLatin1String(note))) << what << ": " << m.notes.join(u"; ").toStdString();
    expectSane(m, what);
  }
  // A sound file reads, past the sections no reader wants: the cases fail for their damage alone.
  const std::string good = fixtures::creoFile({
      {"ND:0:Model_L05_PXAltIdMgr0", "a", {}, {}, {}},
      {"EMPTY_SPACE_FOR_REUSE", "b", {}, {}, {}},
      {"ND:0:Model_L05_RefDiff:1:FT", "c", {}, {}, {}},
      {"ModelView#0 with spaces", "d", {}, {}, {}},
      {kModel, kTokens, {}, {}, {}},
      {"NEXT_TOC_ENTRY", "", std::int64_t{1} << 40, {}, {}},  // a chain past the end keeps what it read
  });
  const AssemblyModel m = readAssembly(MemorySource(good));
  EXPECT_FALSE(m.failed);
  EXPECT_EQ(m.notes, QStringList({"the table of contents points past the end of the file"}));
  // The header's name wins over the section's box.asm.
  EXPECT_EQ(
      QStringLiteral("%1 %2 %3, %4").arg(generationName(m.generation)).arg(m.instanceCount()).arg(m.model, m.writer),
      QStringLiteral("creo-tokens 2 top.asm, Creo 3.0 (M080)"));
  QStringList notes, names;
  for (const TocEntry& e :
       readToc(MemorySource(good), parseUgcHeader(good)->base, std::int64_t(good.find("#UGC_TOC")), notes))
    names << QString::fromStdString(e.name);
  EXPECT_EQ(names, QStringList({"ND:0:Model_L05_PXAltIdMgr0", "ND:0:Model_L05_RefDiff:1:FT", "ModelView#0 with spaces",
                                kModel.c_str()}));
}

// Truncations anywhere and byte flips in the header, the table of contents
// and the model section of real files.
TEST(Hostile, TruncatedAndFlippedRealFiles) {
  for (const char* name : {"baseplate.asm.2", "fridge.asm.4", "top_15.asm.1", "control.asm"}) {
    const std::string bytes = fixtures::readWhole(fixtures::samplesDir() + u'/' + QLatin1String(name));
    if (bytes.empty()) GTEST_SKIP() << "samples absent";
    for (std::size_t cut = 0; cut < bytes.size(); cut += bytes.size() / 97 + 1)
      expectSane(readAssembly(MemorySource(std::string_view(bytes).substr(0, cut))), std::string(name) + " cut");
    // The first 6 KB hold the header, the TOC and, in these files, the model section's start.
    std::string flipped = bytes;
    for (std::size_t at = 0; at < std::min<std::size_t>(bytes.size(), 6144); at += 7) {
      for (const char to : {'\0', '\xFF', '#'}) {
        flipped[at] = to;
        expectSane(readAssembly(MemorySource(flipped)), std::string(name) + " flip " + std::to_string(at));
      }
      flipped[at] = bytes[at];
    }
  }
}

// Every assembly of the shared corpus must give exactly the components, the
// writer and the generation its expected.json records; and where a Creo 2 or
// Wildfire 5 file keeps a DEPDB_DATA table, the fallback to it must agree too.
TEST(Corpus, EveryAssemblyGivesExactlyItsComponents) {
  using namespace fixtures;
  const QJsonObject assemblies = expectedAssemblies();
  if (assemblies.isEmpty()) GTEST_SKIP() << "corpus absent: " << corpusDir().toStdString();
  int exact = 0, depdbAgree = 0;
  QStringList depdbDisagree;
  for (auto it = assemblies.begin(); it != assemblies.end(); ++it) {
    SCOPED_TRACE(it.key().toStdString());
    const QJsonObject expected = it.value().toObject();
    const FileModel read = readAssemblyFile(corpusDir() + u'/' + it.key());
    ASSERT_TRUE(read.error.isEmpty()) << read.error.toStdString();
    EXPECT_FALSE(read.model.failed) << read.model.notes.join(u"; ").toStdString();
    const QStringList want = expectedLines(expected);
    QStringList got = modelLines(read.model), sortedWant = want;
    got.sort();
    sortedWant.sort();
    EXPECT_EQ(got, sortedWant);
    // The corpus also names the product for old writers.
    EXPECT_EQ(read.model.writer, expected.value(u"writer_version").toString().remove(QStringLiteral("Pro/ENGINEER ")));
    const QString generation = expected.value(u"generation").toString();
    EXPECT_EQ(read.model.generation, generation == u"legacy-text"     ? Generation::LegacyText
                                     : generation == u"wf5-depdb-xml" ? Generation::WildfireXml
                                                                      : Generation::CreoTokens);
    EXPECT_FALSE(read.model.model.isEmpty());
    exact += got == sortedWant ? 1 : 0;
    // Creo 2 and Wildfire 5 keep DEPDB_DATA beside the model section: with
    // the model section's marker bent, the components come from there.
    std::string bytes = readWhole(corpusDir() + u'/' + it.key());
    for (std::size_t at = bytes.find("#ND:0:Model_"); at != std::string::npos; at = bytes.find("#ND:0:Model_", at + 1))
      bytes[at + 6] = 'X';
    const AssemblyModel fallback = readAssembly(MemorySource(bytes));
    if (fallback.failed || fallback.generation == Generation::LegacyText) continue;
    EXPECT_TRUE(
        fallback.notes.join(u"; ").contains(u"not where the table of contents says; components read from DEPDB_DATA"))
        << fallback.notes.join(u"; ").toStdString();
    depdbAgree += modelLines(fallback) == want ? 1 : 0;
    if (modelLines(fallback) != want) depdbDisagree << it.key();
  }
  std::printf("corpus: %d of %d assemblies exact\n", exact, int(assemblies.size()));
  // conactor.asm.1 keeps the stale ONE_PART, placed by no live component feature.
  EXPECT_EQ(depdbDisagree, QStringList{QStringLiteral("Watt-sUP__creo2019/Componente/pls/conactor.asm.1")});
  EXPECT_EQ(depdbAgree, 25);
}

}  // namespace
}  // namespace kelvaron::reader
