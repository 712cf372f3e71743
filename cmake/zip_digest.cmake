# After CPack made the zip. CPack adds the files in the order the disk lists
# them, so the zip is made again here with its entries sorted and every time
# the commit's (CPACK_CORVANE_EPOCH): two builds of one commit give the same bytes.
# Then its SHA-256 beside it, as sha256sum writes it, for the release page
# (a user checks the download with Get-FileHash).
get_filename_component(folder "${CPACK_TEMPORARY_DIRECTORY}" NAME)
file(GLOB names RELATIVE "${CPACK_TOPLEVEL_DIRECTORY}" "${CPACK_TEMPORARY_DIRECTORY}/*")
list(SORT names)
list(JOIN names "\n" listing)
set(list_file "${CPACK_TOPLEVEL_DIRECTORY}/zip-entries.txt")
file(WRITE "${list_file}" "${listing}\n")
# string(TIMESTAMP) tells the time SOURCE_DATE_EPOCH says; a zip keeps local
# times, so the zip is made in UTC.
set(ENV{SOURCE_DATE_EPOCH} "${CPACK_CORVANE_EPOCH}")
string(TIMESTAMP stamp "%Y-%m-%d %H:%M:%S UTC" UTC)
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  file(REMOVE "${package}")
  execute_process(COMMAND "${CMAKE_COMMAND}" -E env TZ=UTC
                          "${CMAKE_COMMAND}" -E tar cf "${package}" --format=zip
                          "--mtime=${stamp}" "--files-from=${list_file}"
                  WORKING_DIRECTORY "${CPACK_TOPLEVEL_DIRECTORY}" RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "could not make ${package} again")
  endif()
  file(SHA256 "${package}" digest)
  get_filename_component(name "${package}" NAME)
  file(WRITE "${CPACK_PACKAGE_DIRECTORY}/${name}.sha256" "${digest}  ${name}\n")
  message(STATUS "SHA-256 ${digest}  ${name}")
endforeach()
