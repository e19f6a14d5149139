// The envelope: the header, the banner's writer, the table of contents, and
// positioned reads from a real file.

#include "reader/bytesource.h"
#include "reader/container.h"
#include "readerfixtures.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace kelvaron::reader {
namespace {

std::string headerWith(const std::string& first, const std::string& cmnm) {
  return first + " \\\n#- VERS 0 0 \\\n" + (cmnm.empty() ? "" : "#- CMNM " + cmnm + "    \\\n") + "#-END_OF_UGC_HEADER\n";
}

TEST(Container, Header) {
  struct Case {
    std::string head;
    bool parsed;
    const char* kind;
    int release;
    std::int64_t base;
    const char* ownName;
  };
  const Case cases[] = {
      {headerWith("#UGC:2 ASSEMBLY 1836 1160 800 1 1 15 3400 2015480 00000300", "00dbaseplate.asm"), true, "ASSEMBLY",
       3400, 0x300, "baseplate.asm"},
      // R14-R17 carry no base.
      {headerWith("#UGC:2 ASSEMBLY 1474 880 800 1 1 15 1600 9547", ""), true, "ASSEMBLY", 1600, -1, ""},
      // The CMNM length counts UTF-8 bytes.
      {headerWith("#UGC:2 ASSEMBLY 1 2 3 1 1 15 4000 2024001 00000200", "011roue_arri\xC3\xA8re.asm"), true,
       "ASSEMBLY", 4000, 0x200, "roue_arri\xC3\xA8re.asm"},
      // A CMNM length past the header's end names nothing.
      {headerWith("#UGC:2 PART 1 2 3 1 1 15 4000 2024001 00000200", "fffa.prt"), true, "PART", 4000, 0x200, ""},
      // A base inside the header cannot be the banner's offset.
      {headerWith("#UGC:2 ASSEMBLY 1 2 3 1 1 15 4000 2024001 00000010", ""), true, "ASSEMBLY", 4000, -1, ""},
      {"#UGC:2 ASSEMBLY 1 2 3 1 1 15 4000 2024001 00000200 \\\n#- VERS", false, "", 0, 0, ""},
      {"%PDF-1.4 #-END_OF_UGC_HEADER\n", false, "", 0, 0, ""},
  };
  for (const Case& c : cases) {
    const auto h = parseUgcHeader(c.head);
    ASSERT_EQ(h.has_value(), c.parsed) << c.head;
    if (!h) continue;
    EXPECT_EQ(h->kind, QString::fromUtf8(c.kind)) << c.head;
    EXPECT_EQ(h->release, c.release) << c.head;
    EXPECT_EQ(h->base, c.base) << c.head;
    EXPECT_EQ(h->ownName, QString::fromUtf8(c.ownName)) << c.head;
    EXPECT_EQ(h->end, std::int64_t(c.head.size())) << c.head;
  }
}

TEST(Container, WriterFromBanner) {
  const std::pair<const char*, const char*> cases[] = {
      {"#Creo  TM  9.0  (c) 2024 by PTC Inc.  All Rights Reserved. 9.0.0.0", "Creo 9.0 (9.0.0.0)"},
      {"#Creo  TM  2.0  (c) 2013 by Parametric Technology Corporation  All Rights Reserved. M030\r", "Creo 2.0 (M030)"},
      {"#Pro/ENGINEER  TM  Wildfire 5.0  (c) 2010 by Parametric Technology Corporation  All Rights Reserved. M050",
       "Wildfire 5.0 (M050)"},
      {"#Pro/ENGINEER  TM  Version G-03-26  (c) 1988-96 by Parametric Technology Corporation  All Rights Reserved. 9645",
       "Version G-03-26"},
      {"#Pro/ENGINEER  TM  Version E-06-17  (c) 1988-93", "Version E-06-17"},
      {"#Pro/ENGINEER TM Wildfire 5.0 (c) 2010", ""},
      {"#UGC_TOC 2 32 81 17####", ""},
  };
  for (const auto& [line, writer] : cases) EXPECT_EQ(writerFromBanner(line), QString::fromUtf8(writer)) << line;
}

TEST(Container, TableOfContentsAndModelSection) {
  using fixtures::Section;
  const std::string file = fixtures::creoFile({
      {"ND:0:Model_L05_PXAltIdMgr0", "a", {}, {}, {}},
      {"EMPTY_SPACE_FOR_REUSE", "b", {}, {}, {}},
      {"ND:0:Model_L05_RefDiff:1:FT", "c", {}, {}, {}},
      {"ModelView#0 with spaces", "d", {}, {}, {}},
      {"ND:0:Model_L05_PX:1", "payload", {}, {}, {}},
      {"DEPDB_DATA", "e", {}, {}, {}},
  });
  const MemorySource source(file);
  const auto header = parseUgcHeader(file);
  ASSERT_TRUE(header);
  QStringList notes;
  const auto toc = readToc(source, header->base, header->base + 64, notes);
  EXPECT_TRUE(notes.isEmpty()) << notes.join(u"; ").toStdString();
  QStringList names;
  for (const TocEntry& e : toc) names << e.name;
  EXPECT_EQ(names, QStringList({"ND:0:Model_L05_PXAltIdMgr0", "ND:0:Model_L05_RefDiff:1:FT", "ModelView#0 with spaces",
                                "ND:0:Model_L05_PX:1", "DEPDB_DATA"}));
  const TocEntry* model = findModelSection(toc);
  ASSERT_NE(model, nullptr);
  EXPECT_EQ(model->name, QStringLiteral("ND:0:Model_L05_PX:1"));
  std::string payload;
  QString reason;
  ASSERT_TRUE(readSectionPayload(source, *model, 1 << 20, payload, reason)) << reason.toStdString();
  EXPECT_EQ(payload, "payload");
  EXPECT_NE(findSection(toc, u"DEPDB_DATA"), nullptr);
  EXPECT_EQ(findSection(toc, u"EMPTY_SPACE_FOR_REUSE"), nullptr);
}

// A chain that points past the end keeps what it read, with a note.
TEST(Container, TableOfContentsChainPastTheEnd) {
  const std::string file = fixtures::creoFile({
      {"ND:0:Model_L05_PX:1", "payload", {}, {}, {}},
      {"NEXT_TOC_ENTRY", "", std::int64_t{1} << 40, {}, {}},
  });
  const auto header = parseUgcHeader(file);
  ASSERT_TRUE(header);
  QStringList notes;
  const auto toc = readToc(MemorySource(file), header->base, header->base + 64, notes);
  ASSERT_EQ(toc.size(), 1u);
  EXPECT_EQ(toc.front().name, QStringLiteral("ND:0:Model_L05_PX:1"));
  EXPECT_EQ(notes, QStringList({"the table of contents points past the end of the file"}));
}

TEST(FileSource, PositionedReadsAndRefusals) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath(QStringLiteral("a.asm"));
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("0123456789");
  }
  FileSource source;
  QString reason;
  ASSERT_TRUE(source.open(path, &reason));
  EXPECT_EQ(source.size(), 10);
  std::string out;
  struct Read {
    std::int64_t offset, length;
    const char* bytes;
  };
  for (const Read r : {Read{2, 3, "234"}, Read{8, 100, "89"}, Read{10, 5, ""}, Read{-1, 5, ""}, Read{0, 0, ""}}) {
    ASSERT_TRUE(source.read(r.offset, r.length, out, &reason));
    EXPECT_EQ(out, r.bytes);
  }
  // Shorter than when it was opened.
  ASSERT_TRUE(QFile::resize(path, 4));
  EXPECT_FALSE(source.read(0, 10, out, &reason));
  EXPECT_EQ(reason, QStringLiteral("the file changed while it was read"));

  FileSource other;
  EXPECT_FALSE(other.open(dir.path(), &reason));
  EXPECT_EQ(reason, QStringLiteral("not a regular file"));
  EXPECT_FALSE(other.open(dir.filePath(QStringLiteral("missing.asm")), &reason));
  EXPECT_EQ(reason, QStringLiteral("No such file or directory"));
#ifndef _WIN32
  const QString fifo = dir.filePath(QStringLiteral("fifo.asm"));
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  EXPECT_FALSE(other.open(fifo, &reason));  // must not wait for a writer
  EXPECT_EQ(reason, QStringLiteral("not a regular file"));
#endif
}

}  // namespace
}  // namespace kelvaron::reader
