# orvo_add_gtest(NAME SOURCES ... [LIBS ...] [RESOURCES] [SERIAL] [BATCH n] [SUITE_BATCH Suite=n ...])
#   A GoogleTest executable run under Wine; its cases become ctest entries in batches of at most
#   BATCH consecutive cases of one suite (default 10; see OrvoGTestBatches.cmake). SUITE_BATCH
#   gives a suite of long cases smaller batches, so that no entry nears a minute.
#   RESOURCES links the program's resource script (dialogs, menus, strings, cursors).
#   SERIAL gives each entry a window lane of its own (a display and prefix no other test uses
#   meanwhile), for tests that need the foreground window or the whole display. Lanes come from
#   the resource spec that scripts/test.sh hands ctest; without it the entry runs on the default
#   display, so run such tests one at a time by hand (ctest -j1).

function(orvo_add_gtest name)
  cmake_parse_arguments(ARG "RESOURCES;SERIAL;MAIN" "BATCH" "SOURCES;LIBS;SUITE_BATCH" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  if(ARG_RESOURCES)
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/res/OrvoKestal.rc)
  endif()
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} orvo_test_support Orvo::gmock Orvo::gtest)
  target_link_libraries(${name} PRIVATE orvo_test_modal_guard)
  if(NOT ARG_MAIN)
    target_link_libraries(${name} PRIVATE Orvo::gtest_main)
  endif()
  if(NOT ARG_BATCH)
    set(ARG_BATCH 10)
  endif()
  orvo_register_batches(${name} ${ARG_BATCH} "${ARG_SERIAL}" "${ARG_SUITE_BATCH}")
endfunction()

# Registers the executable's cases when ctest starts (they are known only once it is built and
# can be listed under Wine).
function(orvo_register_batches name batch serial suite_batch)
  set(base "${CMAKE_CURRENT_BINARY_DIR}/${name}")
  if(serial)
    set(serial ON)
  else()
    set(serial OFF)
  endif()
  file(GENERATE OUTPUT "${base}_include.cmake" CONTENT
"set(_orvo_name [==[${name}]==])
set(_orvo_exe [==[$<TARGET_FILE:${name}>]==])
set(_orvo_emulator [==[${CMAKE_CROSSCOMPILING_EMULATOR}]==])
set(_orvo_workdir [==[${CMAKE_CURRENT_BINARY_DIR}]==])
set(_orvo_out [==[${base}_batches]==])
set(_orvo_batch ${batch})
set(_orvo_suite_batch [==[${suite_batch}]==])
set(_orvo_timeout 240)
set(_orvo_serial ${serial})
include([==[${PROJECT_SOURCE_DIR}/cmake/OrvoGTestBatches.cmake]==])
")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${base}_include.cmake")
endfunction()
