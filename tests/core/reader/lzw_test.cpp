// The LZW decoder: byte for byte against gzip -dc on the compressed sections
// of real files, and handmade code streams for the rules real files never use.

#include "reader/bytesource.h"
#include "reader/container.h"
#include "reader/lzw.h"
#include "readerfixtures.h"

#include <QDirIterator>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace kelvaron::reader {
namespace {

using fixtures::packCodes;

struct HandmadeCase {
  const char* what;
  std::string stream;
  std::size_t cap;
  LzwStatus status;
  std::string output;
};

QString gzip() { return QStandardPaths::findExecutable(QStringLiteral("gzip")); }

std::string gunzip(const QString& program, const std::string& stream) {
  QProcess p;
  p.start(program, {QStringLiteral("-dc")});
  p.write(stream.data(), qint64(stream.size()));
  p.closeWriteChannel();
  p.waitForFinished(60000);
  return p.readAllStandardOutput().toStdString();
}

TEST(Lzw, HandmadeStreams) {
  const std::string full = packCodes({'a', 'b', 256, 258, 'c'});
  const HandmadeCase cases[] = {
      {"literals", packCodes({'a', 'b', 'c'}), 100, LzwStatus::Complete, "abc"},
      {"a code names an earlier pair", packCodes({'a', 'b', 256, 257}), 100, LzwStatus::Complete, "ababba"},
      {"a code equal to the next free entry", packCodes({'a', 256, 257}), 100, LzwStatus::Complete, "aaaaaa"},
      {"block mode: CLEAR restarts the table", packCodes({'a', 'b', 256, 'c', 'd', 257}, true), 100,
       LzwStatus::Complete, "abcdcd"},
      {"without block mode 256 is an entry", packCodes({'a', 'b', 256}, false), 100, LzwStatus::Complete, "abab"},
      {"a code past the next free entry", packCodes({'a', 'b', 300, 'c'}), 100, LzwStatus::Corrupt, "ab"},
      {"a first code that is no literal", packCodes({300}), 100, LzwStatus::Corrupt, ""},
      {"a CLEAR first", packCodes({256, 'a'}, true), 100, LzwStatus::Corrupt, ""},
      {"truncated inside a code", full.substr(0, full.size() - 1), 100, LzwStatus::Complete, "abababa"},
      {"output capped", full, 3, LzwStatus::Capped, "aba"},
      {"no magic", "\x1F\x8B\x08", 100, LzwStatus::Corrupt, ""},
      {"more than 16 bits", std::string("\x1F\x9D\x11", 3) + "abc", 100, LzwStatus::Corrupt, ""},
      {"header only", std::string("\x1F\x9D\x10", 3), 100, LzwStatus::Complete, ""},
  };
  for (const HandmadeCase& c : cases) {
    std::string out;
    EXPECT_EQ(decodeLzw(c.stream, c.cap, out), c.status) << c.what;
    EXPECT_EQ(out, c.output) << c.what;
  }
}

// Literals with a back reference every tenth code cross every width from 9
// to 16 bits and the end of the table: the padding at each change must match.
TEST(Lzw, EveryWidthAndAFullTableSameAsGzip) {
  const QString program = gzip();
  if (program.isEmpty()) GTEST_SKIP() << "gzip absent";
  std::vector<std::uint32_t> codes;
  for (std::uint32_t i = 0; i < 70000; ++i) {
    const std::uint32_t nextFree = 255 + i;
    codes.push_back(i % 10 == 9 && nextFree < 65536 ? nextFree - 3 : (i * 7) % 256);
  }
  const std::string stream = packCodes(codes);
  std::string ours;
  ASSERT_EQ(decodeLzw(stream, std::size_t{1} << 24, ours), LzwStatus::Complete);
  EXPECT_GT(ours.size(), codes.size());
  EXPECT_TRUE(ours == gunzip(program, stream));
}

// Every compressed section of the binary sample files, and the model section
// of every corpus assembly; KELVARON_LZW_ALL=1 takes every section of every corpus file.
TEST(Lzw, SameAsGzipOnRealSections) {
  const QString program = gzip();
  if (program.isEmpty()) GTEST_SKIP() << "gzip absent";
  const QString samples = QStringLiteral(KELVARON_SAMPLES_DIR);
  const bool all = qEnvironmentVariableIntValue("KELVARON_LZW_ALL") == 1;
  QStringList files;
  for (const char* name : {"top_15.asm.1", "fridge.asm.4", "baseplate.asm.2", "asm0001_pince.asm.21"}) {
    if (QFile::exists(samples + u'/' + QString::fromLatin1(name))) files << samples + u'/' + QString::fromLatin1(name);
  }
  const qsizetype sampleCount = files.size();
  QDirIterator it(samples + QStringLiteral("/../proe-corpus"), {QStringLiteral("*.asm*"), QStringLiteral("*.prt*")},
                  QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    if (all || path.contains(QStringLiteral(".asm"))) files << path;
  }
  if (files.isEmpty()) GTEST_SKIP() << "no real files in " << samples.toStdString();
  int compared = 0;
  for (qsizetype i = 0; i < files.size(); ++i) {
    FileSource source;
    QString reason;
    ASSERT_TRUE(source.open(files[i], &reason)) << reason.toStdString();
    std::string head;
    ASSERT_TRUE(source.read(0, 65536, head, nullptr));
    const auto header = parseUgcHeader(head);
    if (!header || header->base < 0) continue;
    std::string banner;
    source.read(header->base, 1024, banner, nullptr);
    QStringList notes;
    const auto toc = readToc(source, header->base, header->base + std::int64_t(banner.find('\n')) + 1, notes);
    for (const TocEntry& e : toc) {
      if (i >= sampleCount && !all && &e != findModelSection(toc)) continue;
      std::string raw;
      source.read(e.offset, e.length, raw, nullptr);
      const std::string stream = raw.substr(std::min(raw.size(), std::size_t(e.name.toUtf8().size()) + 2));
      if (!isLzw(stream)) continue;
      SCOPED_TRACE(files[i].toStdString() + " " + e.name.toStdString());
      std::string ours;
      decodeLzw(stream, std::size_t{256} << 20, ours);
      const std::string theirs = gunzip(program, stream);
      ASSERT_EQ(ours.size(), theirs.size());
      ASSERT_TRUE(ours == theirs);
      // DispDataTable sections hold something else behind the magic.
      if (e.decodedLength > 0 && !e.name.startsWith(u"DispDataTable")) {
        EXPECT_EQ(std::int64_t(ours.size()), e.decodedLength);
      }
      ++compared;
    }
  }
  std::printf("lzw: %d sections identical to gzip -dc\n", compared);
  EXPECT_GT(compared, 0);
}

}  // namespace
}  // namespace kelvaron::reader
