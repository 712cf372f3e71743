# The Windows release: what goes into corvane-<version>-win64.zip, made by
# CPack (`cmake --build --preset mingw --target package`). Included last by
# the top-level CMakeLists.txt, so every program target is known here.
#
# The documents and the settings file install on the native build too: there
# a test stages them and checks them with the program's own settings reader,
# which the offline Windows build has no library for.
set(CORVANE_PACKAGE_NAME corvane-${PROJECT_VERSION}-win64)

# One time for everything in the zip, the commit's (or SOURCE_DATE_EPOCH's),
# never the build's, so that two builds of one commit give the same zip: the
# entries' times (cmake/zip_digest.cmake), and the PE files' time stamp,
# which strip writes anew when the programs are installed (it takes
# SOURCE_DATE_EPOCH from its environment, and the linker writes none).
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(corvane_epoch $ENV{SOURCE_DATE_EPOCH})
else()
  execute_process(COMMAND git log -1 --format=%ct WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
    OUTPUT_VARIABLE corvane_epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
if(NOT corvane_epoch MATCHES "^[0-9]+$" OR corvane_epoch LESS 315532800)
  set(corvane_epoch 315532800)  # 1980-01-01, the first time a zip can hold
endif()
install(CODE "set(ENV{SOURCE_DATE_EPOCH} ${corvane_epoch})")

if(CORVANE_TARGET STREQUAL "mingw")
  foreach(program corvane corvane-sim corvane-monitor corvane-names corvane-web)
    if(TARGET ${program})
      install(TARGETS ${program} RUNTIME DESTINATION .)
    endif()
  endforeach()
endif()
install(FILES packaging/corvane.ini packaging/THIRD-PARTY-NOTICES.txt docs/offsets.csv
  DESTINATION .)
install(FILES docs/user-guide.md DESTINATION . RENAME USER-GUIDE.md)
install(FILES docs/offsets.md DESTINATION . RENAME OFFSETS.md)
# The wiring kit: the offsets and their encodings as a Lua module and a C header.
install(FILES docs/corvane.lua docs/corvane.h DESTINATION .)
install(FILES LICENSE DESTINATION . RENAME LICENSE.txt)
# The panel labels template, once it is part of the tree.
if(EXISTS ${CMAKE_SOURCE_DIR}/docs/labels.csv)
  install(FILES docs/labels.csv DESTINATION .)
endif()

# Last of all: SHA256SUMS of everything above.
install(CODE [[
  set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
  file(GLOB names RELATIVE "${root}" "${root}/*")
  list(REMOVE_ITEM names SHA256SUMS)
  list(SORT names)
  set(sums "")
  foreach(name IN LISTS names)
    file(SHA256 "${root}/${name}" digest)
    string(APPEND sums "${digest}  ${name}\n")
  endforeach()
  file(WRITE "${root}/SHA256SUMS" "${sums}")
]])

if(CORVANE_TARGET STREQUAL "mingw")
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_NAME corvane)
  set(CPACK_PACKAGE_VENDOR "the Corvane authors")
  set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
  set(CPACK_PACKAGE_FILE_NAME ${CORVANE_PACKAGE_NAME})
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "iFly 737NG SDK to FSUIPC offset bridge")
  # Unpacking gives one folder, corvane-<version>-win64, holding everything.
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
  set(CPACK_STRIP_FILES ON)
  set(CPACK_SOURCE_GENERATOR "")
  # The zip's own digest beside it, for the release page.
  set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/zip_digest.cmake)
  set(CPACK_CORVANE_EPOCH ${corvane_epoch})
  include(CPack)
endif()
