# Read by ctest before it runs the tests of one GoogleTest executable (a TEST_INCLUDE_FILES entry
# written by orvo_add_gtest). It lists the executable's cases once per build of it and registers
# them in batches: consecutive cases of one suite, at most _orvo_batch per entry, each batch one
# run of the executable. Under Wine a program's start costs a second or more on a busy machine,
# which one entry per case paid 1,600 times; a batch pays it once.
#
# ORVO_TEST_CASES=1 in the environment registers one entry per case instead, named as GoogleTest
# names the case, so that `ctest -R` finds a single case by its name.
#
# Set by the including file: _orvo_name, _orvo_exe, _orvo_emulator, _orvo_workdir, _orvo_out,
# _orvo_batch, _orvo_suite_batch ("Suite=n" items), _orvo_timeout, _orvo_serial.

if(DEFINED ENV{ORVO_TEST_CASES} AND NOT "$ENV{ORVO_TEST_CASES}" STREQUAL "0")
  set(_orvo_size 1)
else()
  set(_orvo_size ${_orvo_batch})
endif()
set(_orvo_file "${_orvo_out}-${_orvo_size}.cmake")

# The executable's own listing of its cases: the one scripts/test.sh made beforehand (it lists all
# executables in parallel; ctest lists them one after the other), else a run of it now.
function(_orvo_read_listing out_var)
  set(made "${_orvo_exe}.tests")
  if(EXISTS "${made}" AND NOT "${_orvo_exe}" IS_NEWER_THAN "${made}")
    file(READ "${made}" listing)
    set(${out_var} "${listing}" PARENT_SCOPE)
    return()
  endif()
  # Wine has been seen to fail a program's start on a heavily loaded machine: try again.
  foreach(attempt 1 2 3)
    execute_process(COMMAND "${_orvo_emulator}" "${_orvo_exe}" --gtest_list_tests
      WORKING_DIRECTORY "${_orvo_workdir}" TIMEOUT 90
      OUTPUT_VARIABLE listing ERROR_VARIABLE errors RESULT_VARIABLE rc)
    if(rc EQUAL 0)
      break()
    endif()
  endforeach()
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${_orvo_name}: listing its tests failed (${rc}): ${errors}")
  endif()
  set(${out_var} "${listing}" PARENT_SCOPE)
endfunction()

# The cases of the executable as "Suite.Case" items, into the variable named by out_var.
function(_orvo_list_cases out_var)
  _orvo_read_listing(listing)
  string(REPLACE "\r" "" listing "${listing}")
  string(REPLACE ";" "\\;" listing "${listing}")
  string(REPLACE "\n" ";" lines "${listing}")
  set(cases "")
  set(suite "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^([^ #][^ ]*)\\.( .*)?$")
      set(suite "${CMAKE_MATCH_1}")
    elseif(suite AND line MATCHES "^  ([^ #][^ ]*)( .*)?$")
      set(case "${CMAKE_MATCH_1}")
      if(NOT suite MATCHES "(^|/)DISABLED_" AND NOT case MATCHES "^DISABLED_")
        list(APPEND cases "${suite}.${case}")
      endif()
    endif()
  endforeach()
  set(${out_var} "${cases}" PARENT_SCOPE)
endfunction()

# Appends one entry that runs the given cases to the variable named by script_var.
function(_orvo_add_entry script_var entry count cases)
  string(REPLACE ";" ":" filter "${cases}")
  set(props "WORKING_DIRECTORY [==[${_orvo_workdir}]==] TIMEOUT ${_orvo_timeout}")
  if(_orvo_serial)
    string(APPEND props " RESOURCE_GROUPS display:1")
  endif()
  # Skipped only when every case of the entry was skipped (a case that needs absent samples);
  # a batch where some ran and passed has passed.
  if(count EQUAL 1)
    set(skip "\\[  SKIPPED \\] 1 test, listed below")
  else()
    set(skip "\\] ${count} tests, listed below")
  endif()
  string(APPEND props " SKIP_REGULAR_EXPRESSION [==[${skip}]==]")
  set(script "${${script_var}}")
  string(APPEND script "add_test([==[${entry}]==] [==[${_orvo_emulator}]==] [==[${_orvo_exe}]==] "
    "[==[--gtest_filter=${filter}]==])\n"
    "set_tests_properties([==[${entry}]==] PROPERTIES ${props})\n")
  set(${script_var} "${script}" PARENT_SCOPE)
endfunction()

# The cases of one suite in entries of at most _orvo_size: "Suite" when one entry holds them all,
# else "Suite#1", "Suite#2"...; one case per entry is named by the case itself.
function(_orvo_add_suite script_var suite cases)
  list(LENGTH cases total)
  if(_orvo_size GREATER 1)
    foreach(item IN LISTS _orvo_suite_batch)
      if(item MATCHES "^(.*)=([0-9]+)$" AND CMAKE_MATCH_1 STREQUAL suite)
        set(_orvo_size ${CMAKE_MATCH_2})
      endif()
    endforeach()
  endif()
  set(script "${${script_var}}")
  if(_orvo_size EQUAL 1)
    foreach(case IN LISTS cases)
      _orvo_add_entry(script "${case}" 1 "${case}")
    endforeach()
  else()
    math(EXPR parts "(${total} + ${_orvo_size} - 1) / ${_orvo_size}")
    set(index 0)
    foreach(part RANGE 1 ${parts})
      math(EXPR last "${index} + ${_orvo_size} - 1")
      if(last GREATER_EQUAL total)
        math(EXPR last "${total} - 1")
      endif()
      set(chunk "")
      foreach(i RANGE ${index} ${last})
        list(GET cases ${i} case)
        list(APPEND chunk "${case}")
      endforeach()
      math(EXPR count "${last} - ${index} + 1")
      math(EXPR index "${last} + 1")
      if(parts EQUAL 1)
        set(entry "${suite}")
      else()
        set(entry "${suite}#${part}")
      endif()
      _orvo_add_entry(script "${entry}" ${count} "${chunk}")
    endforeach()
  endif()
  set(${script_var} "${script}" PARENT_SCOPE)
endfunction()

function(_orvo_write_batches)
  _orvo_list_cases(cases)
  set(script "")
  set(suite "")
  set(members "")
  foreach(case IN LISTS cases)
    string(REGEX REPLACE "\\.[^.]*$" "" owner "${case}")
    if(suite AND NOT owner STREQUAL suite)
      _orvo_add_suite(script "${suite}" "${members}")
      set(members "")
    endif()
    set(suite "${owner}")
    list(APPEND members "${case}")
  endforeach()
  if(suite)
    _orvo_add_suite(script "${suite}" "${members}")
  endif()
  file(WRITE "${_orvo_file}" "${script}")
endfunction()

# Listed again after a build of the executable, and after a change of its batch settings or of
# this script.
if(NOT EXISTS "${_orvo_file}" OR "${_orvo_exe}" IS_NEWER_THAN "${_orvo_file}"
   OR "${CMAKE_PARENT_LIST_FILE}" IS_NEWER_THAN "${_orvo_file}"
   OR "${CMAKE_CURRENT_LIST_FILE}" IS_NEWER_THAN "${_orvo_file}")
  _orvo_write_batches()
endif()
include("${_orvo_file}")
