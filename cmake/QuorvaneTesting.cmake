find_package(GTest REQUIRED)
include(GoogleTest)

# quorvane_add_test(<name> SOURCES <files...> LIBS <targets...>)
# One test program per library; ctest sees every case and gives each a time limit,
# so a test that waits on something that never comes fails instead of hanging CI.
function(quorvane_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main quorvane_warnings)
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES TIMEOUT 120
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endfunction()
