# SPDX-License-Identifier: GPL-3.0-or-later
find_package(GTest REQUIRED)
include(GoogleTest)

# quorvane_add_test(<name> SOURCES <files...> LIBS <targets...>
#                   [QT] [TIMEOUT <seconds>] [LABELS <labels...>])
# The one way a test program is registered: ctest sees every case and gives each a time limit
# (120 s unless TIMEOUT says otherwise), so a test that waits on something that never comes
# fails instead of hanging CI. QT programs get a QApplication (tests/support/qt_test_main.cpp)
# on the offscreen platform, so they need no display. Every test reaches the shared helpers as
# "support/...".
function(quorvane_add_test name)
  cmake_parse_arguments(ARG "QT" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  set(properties TIMEOUT ${ARG_TIMEOUT})
  if(ARG_LABELS)
    list(APPEND properties LABELS "${ARG_LABELS}")
  endif()
  if(ARG_QT)
    add_executable(${name} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/tests/support/qt_test_main.cpp)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} quorvane_ui Qt6::Test GTest::gtest)
    set_target_properties(${name} PROPERTIES AUTOMOC ON
      AUTOUIC_SEARCH_PATHS ${PROJECT_SOURCE_DIR}/src/ui/resources)
    list(APPEND properties ENVIRONMENT QT_QPA_PLATFORM=offscreen)
  else()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  endif()
  target_link_libraries(${name} PRIVATE quorvane_warnings)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests
                             ${CMAKE_CURRENT_SOURCE_DIR})
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES ${properties}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endfunction()
