# Imported targets for the codec libraries and GoogleTest, all static, built by scripts/setup.sh
# into ORVO_DEPS_PREFIX.
if(NOT ORVO_DEPS_PREFIX)
  message(FATAL_ERROR "ORVO_DEPS_PREFIX is not set: run scripts/setup.sh and pass its prefix")
endif()

find_package(ZLIB REQUIRED)

function(orvo_import_library target file)
  cmake_parse_arguments(ARG "" "" "DEPS;DEFINES" ${ARGN})
  set(path "${ORVO_DEPS_PREFIX}/lib/${file}")
  if(NOT EXISTS "${path}")
    message(FATAL_ERROR "${path} is missing: run scripts/setup.sh")
  endif()
  add_library(${target} STATIC IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES
    IMPORTED_LOCATION "${path}"
    INTERFACE_INCLUDE_DIRECTORIES "${ORVO_DEPS_PREFIX}/include"
    INTERFACE_LINK_LIBRARIES "${ARG_DEPS}"
    INTERFACE_COMPILE_DEFINITIONS "${ARG_DEFINES}")
endfunction()

orvo_import_library(Orvo::jpeg libjpeg.a)
# 12-bit samples: its names are prefixed and its headers are included as <jpeg12/jpeglib.h>.
orvo_import_library(Orvo::jpeg12 libjpeg12.a)
orvo_import_library(Orvo::png libpng16.a DEPS ZLIB::ZLIB)
# libtiff's LZMA and WebP compressions.
orvo_import_library(Orvo::lzma liblzma.a)
orvo_import_library(Orvo::webp libwebp.a)
orvo_import_library(Orvo::tiff libtiff.a DEPS Orvo::jpeg Orvo::webp Orvo::lzma ZLIB::ZLIB)
# Users see libmng's headers with the feature set it was built with (writing, chunk access).
orvo_import_library(Orvo::mng libmng.a DEPS Orvo::jpeg ZLIB::ZLIB DEFINES MNG_USE_SO)
# The static library's headers otherwise declare DLL imports.
orvo_import_library(Orvo::openjp2 libopenjp2.a DEFINES OPJ_STATIC)
file(GLOB _openjp2_include "${ORVO_DEPS_PREFIX}/include/openjpeg-*")
set_property(TARGET Orvo::openjp2 APPEND PROPERTY INTERFACE_INCLUDE_DIRECTORIES ${_openjp2_include})

orvo_import_library(Orvo::gtest libgtest.a)
orvo_import_library(Orvo::gtest_main libgtest_main.a DEPS Orvo::gtest)
orvo_import_library(Orvo::gmock libgmock.a DEPS Orvo::gtest)
