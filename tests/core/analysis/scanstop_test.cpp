// A stop request is honoured inside one gigantic record too, not only
// between records.

#include "analysis/componentscan.h"

#include <gtest/gtest.h>
#include <string>

namespace kelvaron {
namespace {

// A name spread over gigabytes of dropped bytes held a stop for seconds.
TEST(ScanStop, AStopIsSeenWithinOneLongStretch) {
  const std::string junk(8 << 20, '#');
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"inside a name of dropped bytes", "3 3 " + junk},
      {"looking for the next record", "3 3 A\n3 4 " + std::string(8 << 20, 'x')},
      {"looking for the name's end marker", "3 3 A" + std::string(8 << 20, '\n')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    int asked = 0;
    const bool finished = scanComponents(
        c.bytes, [](const ComponentView&) { return true; }, [&] { return ++asked < 2; });
    EXPECT_FALSE(finished);
    EXPECT_EQ(asked, 2);
  }
}

}  // namespace
}  // namespace kelvaron
