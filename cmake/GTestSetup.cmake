# GoogleTest: the system package natively, built from Debian's sources
# (package googletest, /usr/src/googletest) when cross-compiling for Windows,
# since Debian ships no mingw build of it.
if(CMAKE_CROSSCOMPILING)
  set(KIVO_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources for the cross build")
  if(NOT EXISTS ${KIVO_GTEST_SOURCE_DIR}/CMakeLists.txt)
    message(FATAL_ERROR "No GoogleTest sources in ${KIVO_GTEST_SOURCE_DIR}: install the "
                        "Debian package googletest (scripts/deps.sh does).")
  endif()
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  # SYSTEM: warnings in GoogleTest's own headers are not ours to fix, and
  # would hide the ones that are.
  add_subdirectory(${KIVO_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  foreach(_target gtest gtest_main gmock gmock_main)
    target_compile_options(${_target} PRIVATE -w)
    # GoogleTest 1.11 and later name these themselves; older sources do not.
    if(NOT TARGET GTest::${_target})
      add_library(GTest::${_target} ALIAS ${_target})
    endif()
  endforeach()
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)
