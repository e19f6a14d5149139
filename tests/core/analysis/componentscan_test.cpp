#include "analysis/componentscan.h"
#include "common/scanall.h"

#include <gtest/gtest.h>
#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;

Names namesOf(const std::vector<kelvaron::Component>& found) {
  Names out;
  for (const auto& c : found) out.push_back(c.name.toStdString());
  return out;
}

std::string filler(std::size_t n) { return std::string(n, 'x'); }

struct ScanCase {
  const char* what;
  std::string bytes;
  Names names;
};

const std::vector<ScanCase>& scanCases() {
  static const std::vector<ScanCase> cases = {
      {"two records, model type after each",
       "#HEAD: ASSEMBLY TOP\r\n3 3 BOLT_M8\r\n@model_type 1\r\n3 3 NUT\r\n@model_type 1\r\n",
       {"BOLT_M8", "NUT"}},
      {"legacy layout bounded by type records", "3 3 SHAFT\n3 4 2\n3 6 1\n3 3 GEAR\n3 4 2\n3 6 2\n", {"SHAFT", "GEAR"}},
      {"bytes outside the name set are dropped, not ending the name", "3 3 AB.C \n3 4 2", {"ABC"}},
      {"tab, slash and exclamation mark dropped", "3 3 a/b!c\tD\n3 4 2", {"abcD"}},
      {"cut at CR", "3 3 PUMP\rjunk\n3 4 2", {"PUMP"}},
      {"names starting with ASSEMBLY are skipped, case matters",
       "3 3 ASSEMBLY_X\n3 4 1\n3 3 Assembly1\n3 4 2\n3 3 ASSEMBL\n3 4 2\n",
       {"Assembly1", "ASSEMBL"}},
      {"empty names are listed", "3 3 \n3 4 2\n3 3 @model_type", {"", ""}},
      {"repeated names are listed each time", "3 3 NUT\n3 4 2\n3 3 NUT\n3 4 2\n", {"NUT", "NUT"}},
      {"no record at all gives nothing", "#HEAD: ASSEMBLY TOP\nabc def @model_type 3 4 \n", {}},
      {"empty input", "", {}},
      {"name runs up to the model type marker", "3 3 NUT@model_type 1\n", {"NUT"}},
      {"no end markers: the name runs to the end", "3 3 LAST", {"LAST"}},
      {"overlapping markers are searched from the name start", "3 3 3 3 X\n", {"3", "X"}},
      {"marker at the very end gives an empty name", "3 3 A\n3 4 2\n3 3 ", {"A", ""}},
      {"records beyond the first 4 KB",
       filler(5000) + "\n3 3 FAR_AWAY\n3 4 2\n" + filler(9000) + "\n3 3 FURTHER\n",
       {"FAR_AWAY", "FURTHER"}},
      {"record straddling a 4096-byte boundary", filler(4093) + "3 3 EDGE\n3 4 2\n", {"EDGE"}},
      {"sub-assembly marker in field 3 4 1 still ends the name", "3 3 SUB-ASM_1\n3 4 1\n", {"SUB-ASM_1"}},
  };
  return cases;
}

TEST(ComponentScan, NamesInFileOrder) {
  for (const auto& c : scanCases()) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(namesOf(kelvaron::testing::scanAll(c.bytes)), c.names);
  }
}

TEST(ComponentScan, UmlautsAreKeptAsWindows1252Bytes) {
  const std::string bytes =
      "3 3 M\xFC"
      "HLE_\xC4\xD6\xDC\xE4\xF6\xDF\n3 4 2\n";  // ß (223) is dropped
  const auto found = kelvaron::testing::scanAll(bytes);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].name, QByteArray("M\xFCHLE_\xC4\xD6\xDC\xE4\xF6"));
  EXPECT_EQ(found[0].text(), QString::fromUtf8("MüHLE_ÄÖÜäö"));
}

TEST(ComponentScan, YieldCanStopALongScan) {
  std::string bytes;
  // Each record bounded nearby, so no search ahead spans the file.
  for (int i = 0; i < 400000; ++i) bytes += "3 3 P\n@model_type\n";  // about 7 MB
  int calls = 0;
  bool stopped = false;
  const auto all = kelvaron::testing::scanAll(
      bytes, [&] { return ++calls < 1000; }, &stopped);
  EXPECT_FALSE(stopped);
  EXPECT_EQ(all.size(), 400000u);
  EXPECT_GE(calls, 2);

  calls = 0;
  const auto part = kelvaron::testing::scanAll(
      bytes, [&] { return ++calls < 2; }, &stopped);
  EXPECT_TRUE(stopped);
  EXPECT_LT(part.size(), all.size());
  EXPECT_GT(part.size(), 0u);
}

// A direct reading of the record rules, quadratic but plain, to check the
// fast scan against on random texts made of the markers' own bytes: each name
// with its 1-based start and its end bound.
Names referenceScan(const std::string& t) {
  Names out;
  std::size_t s = 0;
  for (;;) {
    const std::size_t m = t.find("3 3 ", s);
    if (m == std::string::npos) return out;
    const std::size_t begin = m + 4;
    std::size_t end = t.find("@model_type", begin);
    if (end == std::string::npos) end = t.find("3 4 ", begin);
    if (end == std::string::npos) end = t.size();
    std::string name;
    for (std::size_t i = begin; i < end; ++i) {
      const char c = t[i];
      if (c == ' ' || c == '\r' || c == '\n') break;
      if (std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-') name += c;
    }
    if (name.rfind("ASSEMBLY", 0) != 0)
      out.push_back(name + "@" + std::to_string(begin + 1) + "-" + std::to_string(end));
    s = begin;
  }
}

TEST(ComponentScan, AgreesWithAPlainReadingOnRandomText) {
  const std::string alphabet = "33 4 @model_typeASSEMBLY\n\r.x";
  std::uint32_t seed = 12345;
  auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
  for (int round = 0; round < 3000; ++round) {
    std::string text(next() % 200, ' ');
    for (char& c : text) c = alphabet[(next() >> 8) % alphabet.size()];
    SCOPED_TRACE(text);
    Names found;
    for (const auto& c : kelvaron::testing::scanAll(text))
      found.push_back(c.name.toStdString() + "@" + std::to_string(c.nameStart) + "-" + std::to_string(c.end));
    ASSERT_EQ(found, referenceScan(text));
  }
}

}  // namespace
