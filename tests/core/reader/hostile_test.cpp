// Hostile input: every case must end with a model (failed or not), a note
// where it failed, and sane counts; none may crash, hang or allocate by a claim.

#include "reader/assemblyreader.h"
#include "readerfixtures.h"

#include <QFile>
#include <gtest/gtest.h>

namespace kelvaron::reader {
namespace {

using fixtures::Section;

void expectSane(const AssemblyModel& m, const std::string& what) {
  if (m.failed) {
    EXPECT_FALSE(m.notes.isEmpty()) << what;
  }
  for (const ModelComponent& c : m.components) {
    EXPECT_FALSE(c.name.isEmpty()) << what;
    EXPECT_GE(c.quantity, 0) << what;
    EXPECT_GE(c.suppressed, 0) << what;
  }
}

std::string validTokens() {
  fixtures::Psb psb;
  psb.modelWithDependencies(2).dependency("BOLT", "prt", 2, true).dependency("NUT", "prt", 2, true);
  return psb.closeModel().bytes();
}

const std::string kModel = "ND:0:Model_L05_PX:1";

struct HostileCase {
  const char* what;
  std::vector<Section> sections;
  const char* note;  // a piece of the note it must give
};

TEST(Hostile, ContainerCases) {
  const std::string bomb = fixtures::lzwRuns(11586);  // about 64 MB of zeros
  const std::int64_t bombSize = 11586ll * 11587 / 2;
  const HostileCase cases[] = {
      {"a TOC pointing past the end", {{kModel, validTokens(), std::int64_t{1} << 40, {}, {}}}, "outside the file"},
      {"a TOC declaring a 4 GB section", {{kModel, validTokens(), {}, std::int64_t{1} << 32, {}}}, "outside the file"},
      {"a TOC offset off the section", {{kModel, validTokens(), 5, {}, {}}}, "not where the table of contents says"},
      {"an LZW bomb declared small", {{kModel, bomb, {}, {}, 4096}}, "more than the 4096 bytes"},
      {"an LZW bomb declared in full", {{kModel, bomb, {}, {}, bombSize}}, "unknown layout"},
      {"an LZW bomb declaring 4 GB", {{kModel, bomb, {}, {}, std::int64_t{1} << 32}}, "unknown layout"},
      {"a damaged LZW stream", {{kModel, fixtures::packCodes({'a', 400}), {}, {}, {}}}, "damaged compressed data"},
      {"no model section", {{"BasicData", "x", {}, {}, {}}}, "no model section"},
      {"a TOC chain that loops", {{kModel, "x", {}, {}, {}}, {"NEXT_TOC_ENTRY", "", 64, {}, {}}}, "loops"},
  };
  for (const HostileCase& c : cases) {
    const std::string file = fixtures::creoFile(c.sections);
    const AssemblyModel m = readAssembly(MemorySource(file));
    EXPECT_TRUE(m.failed) << c.what;
    EXPECT_TRUE(m.notes.join(u"; ").contains(QLatin1String(c.note))) << c.what << ": " << m.notes.join(u"; ").toStdString();
    expectSane(m, c.what);
  }
  // The same file with a sound section reads: the cases fail for their damage alone.
  const std::string good = fixtures::creoFile({{kModel, validTokens(), {}, {}, {}}});
  const AssemblyModel m = readAssembly(MemorySource(good));
  EXPECT_FALSE(m.failed) << m.notes.join(u"; ").toStdString();
  EXPECT_EQ(m.generation, Generation::CreoTokens);
  EXPECT_EQ(m.instanceCount(), 2);
  EXPECT_EQ(m.model, QStringLiteral("top.asm"));
  EXPECT_EQ(m.writer, QStringLiteral("Creo 3.0 (M080)"));
}

std::string sample(const char* name) {
  QFile f(QStringLiteral(KELVARON_SAMPLES_DIR "/") + QString::fromLatin1(name));
  return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
}

// Truncations anywhere and byte flips in the header, the table of contents
// and the model section of real files.
TEST(Hostile, TruncatedAndFlippedRealFiles) {
  int reads = 0;
  for (const char* name : {"baseplate.asm.2", "fridge.asm.4", "top_15.asm.1", "control.asm"}) {
    const std::string bytes = sample(name);
    if (bytes.empty()) GTEST_SKIP() << "samples absent";
    for (std::size_t cut = 0; cut < bytes.size(); cut += bytes.size() / 97 + 1) {
      expectSane(readAssembly(MemorySource(std::string_view(bytes).substr(0, cut))), std::string(name) + " cut");
      ++reads;
    }
    // The first 6 KB hold the header, the TOC and, in these files, the model section's start.
    std::string flipped = bytes;
    for (std::size_t at = 0; at < std::min<std::size_t>(bytes.size(), 6144); at += 7) {
      for (const char to : {'\0', '\xFF', '#'}) {
        flipped[at] = to;
        expectSane(readAssembly(MemorySource(flipped)), std::string(name) + " flip " + std::to_string(at));
        ++reads;
      }
      flipped[at] = bytes[at];
    }
  }
  EXPECT_GT(reads, 1000);
}

// Creo 2 keeps DEPDB_DATA beside the model section: with the model section's
// compressed stream damaged, the components come from there, with a note.
TEST(Hostile, DamagedModelSectionFallsBackToDepdb) {
  std::string bytes = sample("fridge.asm.4");
  if (bytes.empty()) GTEST_SKIP() << "samples absent";
  const std::size_t section = bytes.find("#ND:0:Model_L05P:1\n");
  ASSERT_NE(section, std::string::npos);
  bytes[section + 21] = '\x1F';  // the flags byte after 1F 9D: 31 bits per code cannot be
  const AssemblyModel m = readAssembly(MemorySource(bytes));
  EXPECT_FALSE(m.failed);
  QStringList names;
  for (const ModelComponent& c : m.components) names << c.name + u' ' + QString::number(c.quantity);
  EXPECT_EQ(names, QStringList({"FRIDGE_BODY_R1 1", "DOOR_R1 1", "DOOR_INTERIOR 1", "DOOR_INTERIOR_RAIL 1", "HINGE_TOP 1"}));
  ASSERT_EQ(m.notes.size(), 1);
  EXPECT_TRUE(m.notes.front().contains(u"damaged compressed data")) << m.notes.front().toStdString();
  EXPECT_TRUE(m.notes.front().contains(u"DEPDB_DATA")) << m.notes.front().toStdString();
}

}  // namespace
}  // namespace kelvaron::reader
