// The marker scan: against a plain reading of the record rules, its stop
// requests, and the search for a text in a file.

#include "analysis/componentscan.h"
#include "common/scanall.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cctype>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Names = std::vector<std::string>;
using kelvaron::testing::scanAll;

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

// A name spread over gigabytes of dropped bytes held a stop for seconds; a
// stop between many short records was ignored.
TEST(ScanStop, AStopIsSeenWithinOneLongStretch) {
  const std::string junk(8 << 20, '#');
  std::string records;
  for (int i = 0; i < 400000; ++i) records += "3 3 P\n@model_type\n";  // about 7 MB
  const std::pair<const char*, std::string> cases[] = {
      {"inside a name of dropped bytes", "3 3 " + junk},
      {"looking for the next record", "3 3 A\n3 4 " + std::string(8 << 20, 'x')},
      {"looking for the name's end marker", "3 3 A" + std::string(8 << 20, '\n')},
      {"between many short records", records},
  };
  for (const auto& [what, bytes] : cases) {
    SCOPED_TRACE(what);
    int asked = 0;
    const bool finished = kelvaron::scanComponents(
        bytes, [](const kelvaron::ComponentView&) { return true; }, [&] { return ++asked < 2; });
    EXPECT_FALSE(finished);
    EXPECT_EQ(asked, 2);
  }
}

}  // namespace
