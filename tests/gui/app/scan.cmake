# The window's folder scan and timed start; included from this folder's CMakeLists.txt.
add_executable(form1_scan_test ${CMAKE_CURRENT_LIST_DIR}/form1_scan_test.cpp)
target_link_libraries(form1_scan_test PRIVATE kelvaron_app Qt6::Test)
add_test(NAME form1_scan_test COMMAND form1_scan_test)
set_tests_properties(form1_scan_test PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 120)

# The scan's screenshots; built whenever the window's screenshots are.
add_executable(kelvaron_scan_screenshots ${CMAKE_CURRENT_LIST_DIR}/scan_screenshots.cpp)
target_link_libraries(kelvaron_scan_screenshots PRIVATE kelvaron_app)
if(TARGET kelvaron_screenshots)
  add_dependencies(kelvaron_screenshots kelvaron_scan_screenshots)
endif()
