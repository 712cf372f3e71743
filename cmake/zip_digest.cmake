# After CPack made the zip. CPack adds the files in the order the disk lists
# them, with their build times and extra fields that carry access and change
# times: the zip is made again here with Info-ZIP, entries sorted, every file
# at the commit's time (CPACK_CORVANE_EPOCH) in UTC and no extra fields, so
# that two builds of one commit give the same bytes. Then its SHA-256 beside
# it, as sha256sum writes it, for the release page (a user checks the
# download with Get-FileHash).
find_program(ZIP_PROGRAM zip REQUIRED)
file(GLOB names RELATIVE "${CPACK_TOPLEVEL_DIRECTORY}" "${CPACK_TEMPORARY_DIRECTORY}/*")
list(SORT names)
list(JOIN names "\n" listing)
set(list_file "${CPACK_TOPLEVEL_DIRECTORY}/zip-entries.txt")
file(WRITE "${list_file}" "${listing}\n")
foreach(name IN LISTS names)
  execute_process(COMMAND touch -d "@${CPACK_CORVANE_EPOCH}" "${CPACK_TOPLEVEL_DIRECTORY}/${name}")
endforeach()
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  file(REMOVE "${package}")
  execute_process(COMMAND "${CMAKE_COMMAND}" -E env TZ=UTC "${ZIP_PROGRAM}" -X -D -q "${package}" -@
                  INPUT_FILE "${list_file}" WORKING_DIRECTORY "${CPACK_TOPLEVEL_DIRECTORY}"
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "could not make ${package} again")
  endif()
  file(SHA256 "${package}" digest)
  get_filename_component(name "${package}" NAME)
  file(WRITE "${CPACK_PACKAGE_DIRECTORY}/${name}.sha256" "${digest}  ${name}\n")
  message(STATUS "SHA-256 ${digest}  ${name}")
endforeach()
