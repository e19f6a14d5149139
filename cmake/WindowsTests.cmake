# Tests of the Windows cross build run under Wine (CMAKE_CROSSCOMPILING_EMULATOR).
# Every Wine process costs more than a second to start, so each GoogleTest
# program runs as one test with all its cases instead of one process per case,
# and listing the cases at build time is skipped. (Including GoogleTest again
# after this file would bring the per-case discovery back.)
function(gtest_discover_tests target)
  add_test(NAME ${target} COMMAND ${target})
  set_tests_properties(${target} PROPERTIES TIMEOUT 600)
endfunction()

# Wine takes "Z:" for the root of this system: paths compiled into the tests
# are given with it, so they hold whatever the test's current drive.
set(KELVARON_TEST_DRIVE "Z:")
