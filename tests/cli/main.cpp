// The CLI tests share one settings store with the kelvaron-cli runs that read
// it: XDG_CONFIG_HOME points at a temporary folder before Qt first reads it.

#include "cli_testenv.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  kelvaron::clitest::TestEnvironment::instance();  // sets XDG_CONFIG_HOME for this process
  return RUN_ALL_TESTS();
}
