# orvo_add_gtest(NAME SOURCES ... [LIBS ...] [RESOURCES] [SERIAL])
#   A GoogleTest executable run under Wine; each test case becomes a ctest test.
#   RESOURCES links the program's resource script (dialogs, menus, strings, cursors).
#   SERIAL gives each case a window lane of its own (a display and prefix no other test uses
#   meanwhile), for tests that need the foreground window or the whole display. Lanes come from
#   the resource spec that scripts/test.sh hands ctest; without it the case runs on the default
#   display, so run such tests one at a time by hand (ctest -j1).
include(GoogleTest)

function(orvo_add_gtest name)
  cmake_parse_arguments(ARG "RESOURCES;SERIAL;MAIN" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  if(ARG_RESOURCES)
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/res/OrvoKestal.rc)
  endif()
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} orvo_test_support Orvo::gmock Orvo::gtest)
  target_link_libraries(${name} PRIVATE orvo_test_modal_guard)
  if(NOT ARG_MAIN)
    target_link_libraries(${name} PRIVATE Orvo::gtest_main)
  endif()
  set(props TIMEOUT 120)
  if(ARG_SERIAL)
    list(APPEND props RESOURCE_GROUPS display:1)
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    PROPERTIES ${props})
endfunction()
