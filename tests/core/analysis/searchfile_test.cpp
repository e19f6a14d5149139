#include "analysis/componentscan.h"
#include "common/scanall.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>

namespace {

using kelvaron::SearchFileForText;

TEST(SearchFile, FirstOccurrenceAtOrAfterStart) {
  QTemporaryDir dir;
  const std::string longText(5000, 'z');  // longer than a block
  const struct {
    std::int64_t at;  // 1-based position of `text` in a file of 10000 dots
    std::string text;
    std::int64_t start, expected;
  } cases[] = {
      {101, "3 3 ", 0, 101},     {101, "3 3 ", 101, 101},     {101, "3 3 ", 102, 0},   {101, "3 3 ", 10001, 0},
      {4094, "3 3 ", 0, 4094},   {4095, "3 3 ", 0, 4095},     {4096, "3 3 ", 0, 4096}, {4097, "3 3 ", 0, 4097},
      {4093, "3 3 ", 1, 4093},   {1, "3 3 ", -7, 1},          {9997, "3 3 ", 0, 9997}, {8190, "3 3 ", 4100, 8190},
      {4001, longText, 0, 4001}, {101, "3 3 ", 1LL << 40, 0},
  };
  for (const auto& c : cases) {
    std::string bytes(10000, '.');
    bytes.replace(static_cast<std::size_t>(c.at - 1), c.text.size(), c.text);
    const QString path = kelvaron::testing::writeFile(dir.filePath("f.asm"), bytes);
    EXPECT_EQ(SearchFileForText(path, c.text, c.start), c.expected) << c.at << " from " << c.start;
  }
}

TEST(SearchFile, NothingToFindAndNothingCreated) {
  QTemporaryDir dir;
  const QString path = kelvaron::testing::writeFile(dir.filePath("f.asm"), std::string(9000, '.') + "3 3 ");
  const QString missing = dir.filePath("missing.asm");
  for (const QString& file : {path, dir.path(), missing, kelvaron::testing::writeFile(dir.filePath("e.asm"), "")})
    EXPECT_EQ(SearchFileForText(file, file == path ? "3 4 " : "3 3 ", 0), 0) << file.toStdString();
  EXPECT_EQ(SearchFileForText(path, "", 0), 0);
  EXPECT_FALSE(QFile::exists(missing)) << "searching must not create the file";
  int blocks = 0;  // two blocks without a hit before the third holds it
  EXPECT_EQ(SearchFileForText(path, "3 3 ", 0, [&] { return ++blocks > 0; }), 9001);
  EXPECT_EQ(blocks, 2);
  EXPECT_EQ(SearchFileForText(path, "3 3 ", 0, [] { return false; }), 0);
}

}  // namespace
