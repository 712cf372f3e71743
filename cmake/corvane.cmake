# Helpers shared by the folder CMakeLists.

# Settings file reader. Native and Winelib builds link Debian's inih; the mingw
# build fetches release r55 when CORVANE_FETCH_INIH is on, checked against its
# SHA-256 digest (offline: point FETCHCONTENT_SOURCE_DIR_INIH at an inih r55
# source tree; a mirror of the archive: CORVANE_INIH_URL).
# corvane_inih is the target to link; CORVANE_HAVE_INIH tells whether a
# library is there to link at all (also as a global property, for folders
# outside app/).
set(CORVANE_INIH_URL "https://github.com/benhoyt/inih/archive/refs/tags/r55.tar.gz"
  CACHE STRING "The inih r55 archive the mingw build fetches (its SHA-256 digest is checked)")

function(corvane_find_inih)
  if(TARGET corvane_inih)
    return()
  endif()
  add_library(corvane_inih INTERFACE)
  if(NOT CORVANE_TARGET STREQUAL "mingw")
    # wineg++ links a launcher script, so CMake cannot read the compiler's
    # ABI and never learns the multiarch library folder: name it here.
    set(multiarch_hints "")
    if(NOT CMAKE_LIBRARY_ARCHITECTURE)
      execute_process(COMMAND gcc -print-multiarch
        OUTPUT_VARIABLE multiarch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
      if(multiarch)
        set(multiarch_hints /usr/lib/${multiarch})
      endif()
    endif()
    find_library(INIREADER_LIBRARY INIReader HINTS ${multiarch_hints} REQUIRED)
    find_library(INIH_LIBRARY inih HINTS ${multiarch_hints} REQUIRED)
    find_path(INIH_INCLUDE_DIR INIReader.h REQUIRED)
    target_include_directories(corvane_inih INTERFACE ${INIH_INCLUDE_DIR})
    target_link_libraries(corvane_inih INTERFACE ${INIREADER_LIBRARY} ${INIH_LIBRARY})
    set(CORVANE_HAVE_INIH ON PARENT_SCOPE)
    set_property(GLOBAL PROPERTY CORVANE_HAVE_INIH ON)
    return()
  endif()

  set(src "")
  if(FETCHCONTENT_SOURCE_DIR_INIH)
    # A local tree (offline builds) is used as it is given.
    set(src "${FETCHCONTENT_SOURCE_DIR_INIH}")
  elseif(CORVANE_FETCH_INIH)
    # inih r55, pinned: the archive must have this SHA-256 digest (that of
    # `git archive --format=tar --prefix=inih-r55/ r55 | gzip -n` of the r55
    # tag) and is fetched with the server's certificate verified. A digest
    # that does not match stops the configure.
    set(inih_sha256 ba55f8ae2a8caf0653f30f48567241e14ea916acfc13481f502d8a9c8f507f68)
    # FetchContent also stops the configure when the download itself fails;
    # ask first, so that a machine without network still gets the compile
    # check below.
    file(DOWNLOAD "${CORVANE_INIH_URL}" STATUS probe TLS_VERIFY ON TIMEOUT 30 INACTIVITY_TIMEOUT 10)
    list(GET probe 0 probe_code)
    if(probe_code EQUAL 0)
      include(FetchContent)
      FetchContent_Declare(inih
        URL "${CORVANE_INIH_URL}"
        URL_HASH SHA256=${inih_sha256}
        TLS_VERIFY ON
        DOWNLOAD_EXTRACT_TIMESTAMP TRUE)
      FetchContent_GetProperties(inih)
      if(NOT inih_POPULATED)
        FetchContent_Populate(inih)
      endif()
      set(src "${inih_SOURCE_DIR}")
    else()
      message(WARNING "inih r55 could not be fetched (${probe}); "
                      "set FETCHCONTENT_SOURCE_DIR_INIH to a local copy to link corvane.exe")
    endif()
  endif()

  if(src AND EXISTS "${src}/ini.c" AND EXISTS "${src}/cpp/INIReader.cpp")
    add_library(corvane_inih_lib STATIC "${src}/ini.c" "${src}/cpp/INIReader.cpp")
    target_include_directories(corvane_inih_lib PUBLIC "${src}" "${src}/cpp")
    target_link_libraries(corvane_inih INTERFACE corvane_inih_lib)
    set(CORVANE_HAVE_INIH ON PARENT_SCOPE)
    set_property(GLOBAL PROPERTY CORVANE_HAVE_INIH ON)
  else()
    # No inih source at hand: compile against the system headers alone,
    # staged into the build tree so that no other Linux header leaks in.
    message(STATUS "inih source not available: Windows sources compile, corvane.exe is not linked")
    set(stage "${CMAKE_BINARY_DIR}/inih-headers")
    file(MAKE_DIRECTORY "${stage}")
    file(COPY /usr/include/INIReader.h /usr/include/ini.h DESTINATION "${stage}")
    target_include_directories(corvane_inih INTERFACE "${stage}")
    set(CORVANE_HAVE_INIH OFF PARENT_SCOPE)
    set_property(GLOBAL PROPERTY CORVANE_HAVE_INIH OFF)
  endif()
endfunction()

# A native GoogleTest program whose cases are registered with ctest and
# labelled by tier and subsystem:
#   corvane_unit_test(NAME fsuipc_test SUBSYSTEM fsuipc SOURCES a.cpp b.cpp [LIBS ...])
function(corvane_unit_test)
  cmake_parse_arguments(T "" "NAME;SUBSYSTEM" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE corvane_test_support ${T_LIBS} GTest::gtest_main)
  gtest_discover_tests(${T_NAME} DISCOVERY_TIMEOUT 60)
  # Discovered tests cannot take a list-valued property, so the labels go on
  # the folder: each test folder holds one subsystem.
  set_property(DIRECTORY APPEND PROPERTY LABELS unit ${T_SUBSYSTEM})
endfunction()

# A Winelib end-to-end test program, run under Wine (inside Xvfb when there
# is no display) by tests/e2e/run-wine.sh:
#   corvane_e2e_test(NAME sim_link_test SUBSYSTEM fsuipc SOURCES t.cpp [LIBS ...] [TIMEOUT s])
function(corvane_e2e_test)
  cmake_parse_arguments(T "" "NAME;SUBSYSTEM;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  set_target_properties(${T_NAME} PROPERTIES SUFFIX ".exe")
  target_link_libraries(${T_NAME} PRIVATE corvane_e2e_support ${T_LIBS})
  # Winelib links a loadable module <name>.exe.so beside a launcher script;
  # a MinGW build makes a PE that Wine runs as it is.
  set(module_suffix "")
  if(CORVANE_TARGET STREQUAL "wine")
    set(module_suffix ".so")
  endif()
  add_test(NAME ${T_NAME}
    COMMAND ${CMAKE_SOURCE_DIR}/tests/e2e/run-wine.sh $<TARGET_FILE:${T_NAME}>${module_suffix})
  set_tests_properties(${T_NAME} PROPERTIES
    LABELS "e2e;${T_SUBSYSTEM}"
    TIMEOUT ${T_TIMEOUT}
    RUN_SERIAL ON
    FIXTURES_REQUIRED wine_prefix
    ENVIRONMENT "CORVANE_BUILD_DIR=${CMAKE_BINARY_DIR}")
endfunction()

# Command-line parser of the tools: Debian's header-only CLI11. Native and
# Winelib builds use the system headers; the mingw build takes a copy of the
# CLI folder alone, staged into the build tree, so that no other Linux header
# leaks into a Windows compile. corvane_cli11 is the target to link.
function(corvane_find_cli11)
  if(TARGET corvane_cli11)
    return()
  endif()
  # The headers are the build machine's, also for the cross build, whose
  # searches are otherwise kept inside its own root.
  find_path(CLI11_INCLUDE_DIR CLI/CLI.hpp REQUIRED NO_CMAKE_FIND_ROOT_PATH)
  add_library(corvane_cli11 INTERFACE)
  if(CORVANE_TARGET STREQUAL "mingw")
    set(stage "${CMAKE_BINARY_DIR}/cli11-headers")
    file(COPY "${CLI11_INCLUDE_DIR}/CLI" DESTINATION "${stage}")
    target_include_directories(corvane_cli11 SYSTEM INTERFACE "${stage}")
  else()
    # Not SYSTEM: -isystem /usr/include would move the system folder ahead of
    # libstdc++'s own, whose <cstdlib> then no longer finds <stdlib.h>. As a
    # plain -I the compiler ignores a folder it already searches as a system
    # one, and its warnings stay quiet.
    target_include_directories(corvane_cli11 INTERFACE "${CLI11_INCLUDE_DIR}")
  endif()
endfunction()
