#include "analysis/componentscan.h"
#include "common/scanall.h"

#include <gtest/gtest.h>
#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;
using kelvaron::testing::scanAll;

TEST(ComponentScan, NamesInFileOrder) {
  const std::string far(5000, 'x');
  const struct {
    const char* what;
    std::string bytes;
    Names names;
  } cases[] = {
      {"current layout, model type after each",
       "#HEAD: ASSEMBLY TOP\r\n3 3 BOLT_M8\r\n@model_type 1\r\n3 3 NUT\r\n@model_type 1\r\n",
       {"BOLT_M8", "NUT"}},
      {"legacy layout bounded by type records", "3 3 SHAFT\n3 4 2\n3 6 1\n3 3 GEAR\n3 4 2\n3 6 2\n", {"SHAFT", "GEAR"}},
      {"umlauts kept as Windows-1252 bytes, other bytes dropped",
       "3 3 M\xFC/H!L\tE.1_\xC4\xD6\xDC\xE4\xF6\xDF-\n3 4 2\n",
       {"M\xFCHLE1_\xC4\xD6\xDC\xE4\xF6-"}},
      {"names starting with ASSEMBLY are skipped, case matters",
       "3 3 ASSEMBLY_X\n3 4 1\n3 3 Assembly1\n3 4 2\n3 3 ASSEMBL\n3 4 2\n",
       {"Assembly1", "ASSEMBL"}},
      {"records far apart", far + "\n3 3 FAR_AWAY\n3 4 2\n" + far + far + "3 3 FURTHER", {"FAR_AWAY", "FURTHER"}},
  };
  for (const auto& c : cases) {
    Names found;
    for (const auto& component : scanAll(c.bytes)) found.push_back(component.name.toStdString());
    EXPECT_EQ(found, c.names) << c.what;
  }
}

TEST(ComponentScan, YieldCanStopALongScan) {
  std::string bytes;
  // Each record bounded nearby, so no search ahead spans the file.
  for (int i = 0; i < 400000; ++i) bytes += "3 3 P\n@model_type\n";  // about 7 MB
  int calls = 0;
  bool stopped = false;
  EXPECT_EQ(scanAll(
                bytes, [&] { return ++calls < 1000; }, &stopped)
                .size(),
            400000u);
  EXPECT_FALSE(stopped);
  EXPECT_GE(calls, 2);
  calls = 0;
  const auto part = scanAll(
      bytes, [&] { return ++calls < 2; }, &stopped);
  EXPECT_TRUE(stopped);
  EXPECT_TRUE(part.size() > 0 && part.size() < 400000u) << part.size();
}

// A direct reading of the record rules, quadratic but plain, to check the
// fast scan against: each name with its 1-based start and its end bound.
Names referenceScan(const std::string& t) {
  Names out;
  for (std::size_t m = t.find("3 3 "); m != std::string::npos; m = t.find("3 3 ", m + 4)) {
    const std::size_t begin = m + 4;
    std::size_t end = t.find("@model_type", begin);
    if (end == std::string::npos) end = t.find("3 4 ", begin);
    if (end == std::string::npos) end = t.size();
    std::string name;
    for (std::size_t i = begin; i < end && t[i] != ' ' && t[i] != '\r' && t[i] != '\n'; ++i) {
      if (std::isalnum(static_cast<unsigned char>(t[i])) ||
          std::string_view("_-\xFC\xF6\xE4\xDC\xD6\xC4").find(t[i]) != std::string_view::npos)
        name += t[i];
    }
    if (!name.starts_with("ASSEMBLY"))
      out.push_back(name + "@" + std::to_string(begin + 1) + "-" + std::to_string(end));
  }
  return out;
}

// Random texts made of the markers and of bytes of every kind the rules tell apart.
TEST(ComponentScan, AgreesWithAPlainReadingOnRandomText) {
  const char* const pieces[] = {"3 3 ", "3 4 ", "@model_type", "ASSEMBLY", "3", "4",  " ",    "\n",   "\r",    ".",
                                "x",    "a",    "_",           "-",        "@", "\t", "\xFC", "\xDF", "3 3 3 "};
  std::uint32_t seed = 12345;
  auto next = [&seed] { return (seed = seed * 1664525u + 1013904223u) >> 8; };
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    for (std::uint32_t n = next() % 120; n > 0; --n) text += pieces[next() % std::size(pieces)];
    Names found;
    for (const auto& c : scanAll(text))
      found.push_back(c.name.toStdString() + "@" + std::to_string(c.nameStart) + "-" + std::to_string(c.end));
    ASSERT_EQ(found, referenceScan(text)) << text;
  }
}

}  // namespace
