# Cross-compiles for i686 Windows with mingw-w64's posix-thread compilers (std::mutex and std::thread
# need them).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ORVO_TRIPLET i686-w64-mingw32)

set(CMAKE_C_COMPILER   ${ORVO_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ORVO_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER  ${ORVO_TRIPLET}-windres)

# The codec libraries live outside the sysroot (ORVO_DEPS_PREFIX, from the set-up script): they are
# one more root to search.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${ORVO_TRIPLET})
if(ORVO_DEPS_PREFIX)
  list(APPEND CMAKE_FIND_ROOT_PATH ${ORVO_DEPS_PREFIX})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# FindZLIB would otherwise pick the import library and the program would need zlib1.dll.
set(ZLIB_USE_STATIC_LIBS ON)

# Test executables run under Wine (see wine-run.sh).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
