#include "analysis/componentscan.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>

namespace {

class SearchFile : public ::testing::Test {
 protected:
  QString write(const QString& name, const std::string& bytes) {
    const QString path = m_dir.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
    return path;
  }
  // A file of `size` dots with `text` placed at the 1-based position `at`.
  QString withTextAt(std::int64_t at, const std::string& text = "3 3 ", std::size_t size = 10000) {
    std::string bytes(size, '.');
    bytes.replace(static_cast<std::size_t>(at - 1), text.size(), text);
    return write(QStringLiteral("f%1.asm").arg(at), bytes);
  }
  QTemporaryDir m_dir;
};

TEST_F(SearchFile, TruePositionWhereverTheBlockLies) {
  struct Case {
    std::int64_t at;
    std::int64_t start;
    std::int64_t expected;
  } const cases[] = {
      {101, 0, 101},   {101, 50, 101},  {101, 101, 101}, {101, 102, 0},   {5000, 0, 5000},
      {4094, 0, 4094}, {4095, 0, 4095}, {4096, 0, 4096}, {4097, 0, 4097}, {4093, 1, 4093},
      {2, 1, 2},       {4, 1, 4},       {1, -7, 1},      {9997, 0, 9997}, {8190, 4100, 8190},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "at " << c.at << " from " << c.start);
    EXPECT_EQ(kelvaron::SearchFileForText(withTextAt(c.at), "3 3 ", c.start), c.expected);
  }
}

TEST_F(SearchFile, FirstOccurrenceAtOrAfterStart) {
  std::string bytes(9000, '.');
  bytes.replace(10, 11, "@model_type");
  bytes.replace(6000, 11, "@model_type");
  const QString path = write("two.asm", bytes);
  EXPECT_EQ(kelvaron::SearchFileForText(path, "@model_type", 0), 11);
  EXPECT_EQ(kelvaron::SearchFileForText(path, "@model_type", 12), 6001);
  EXPECT_EQ(kelvaron::SearchFileForText(path, "@model_type", 6001), 6001);
  EXPECT_EQ(kelvaron::SearchFileForText(path, "@model_type", 6002), 0);
  // A needle longer than a block still straddles correctly.
  const std::string longText(5000, 'z');
  std::string big(20000, '.');
  big.replace(4000, longText.size(), longText);
  EXPECT_EQ(kelvaron::SearchFileForText(write("long.asm", big), longText, 0), 4001);
}

TEST_F(SearchFile, NothingToFind) {
  const QString path = withTextAt(101);
  const QString missing = m_dir.filePath("missing.asm");
  EXPECT_EQ(kelvaron::SearchFileForText(path, "", 0), 0);
  EXPECT_EQ(kelvaron::SearchFileForText(path, "3 4 ", 0), 0);
  EXPECT_EQ(kelvaron::SearchFileForText(path, "3 3 ", 10001), 0) << "start beyond the end";
  EXPECT_EQ(kelvaron::SearchFileForText(path, "3 3 ", 1LL << 40), 0);
  EXPECT_EQ(kelvaron::SearchFileForText(write("empty.asm", ""), "3 3 ", 0), 0);
  EXPECT_EQ(kelvaron::SearchFileForText(m_dir.path(), "3 3 ", 0), 0) << "a folder";
  EXPECT_EQ(kelvaron::SearchFileForText(missing, "3 3 ", 0), 0);
  EXPECT_FALSE(QFile::exists(missing)) << "searching must not create the file";
}

TEST_F(SearchFile, YieldsAfterEachBlockAndCanBeStopped) {
  const QString path = withTextAt(9000, "3 3 ", 12000);
  int blocks = 0;
  EXPECT_EQ(kelvaron::SearchFileForText(path, "3 3 ", 0,
                                        [&] {
                                          ++blocks;
                                          return true;
                                        }),
            9000);
  EXPECT_EQ(blocks, 2) << "two blocks without a hit before the third holds it";
  EXPECT_EQ(kelvaron::SearchFileForText(path, "3 3 ", 0, [] { return false; }), 0);
}

}  // namespace
