# Makes the release folder and runs package_check on it:
#   MODE zip:   runs CPack as the package target does, lists the zip and
#               unpacks it;
#   MODE stage: installs into a folder, as CPack would before zipping.
#   cmake -DBUILD_DIR=... -DWORK_DIR=... -DMODE=zip|stage -DPACKAGE_NAME=...
#         -DCHECK=prog[|arg] -DCHECK_ARGS=a|b -DWINDOWS_PATHS=0|1 -P package_contents.cmake
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")

if(MODE STREQUAL "zip")
  execute_process(COMMAND "${CMAKE_CPACK_COMMAND}" -G ZIP -B "${WORK_DIR}"
    WORKING_DIRECTORY "${BUILD_DIR}" RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  set(zip "${WORK_DIR}/${PACKAGE_NAME}.zip")
  if(NOT rc EQUAL 0 OR NOT EXISTS "${zip}")
    message(FATAL_ERROR "cpack did not make ${zip}:\n${out}")
  endif()
  execute_process(COMMAND "${CMAKE_COMMAND}" -E tar tvf "${zip}" OUTPUT_VARIABLE listing)
  message("${PACKAGE_NAME}.zip:\n${listing}")
  execute_process(COMMAND "${CMAKE_COMMAND}" -E tar xf "${zip}" WORKING_DIRECTORY "${WORK_DIR}"
    RESULT_VARIABLE rc)
  set(folder "${WORK_DIR}/${PACKAGE_NAME}")
  if(NOT rc EQUAL 0 OR NOT IS_DIRECTORY "${folder}")
    message(FATAL_ERROR "${zip} does not unpack into ${PACKAGE_NAME}/")
  endif()
else()
  set(folder "${WORK_DIR}/stage")
  execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${folder}"
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "staging the install failed:\n${out}")
  endif()
  message("staged install (no zip in this build):")
endif()
file(GLOB files RELATIVE "${folder}" "${folder}/*")
foreach(name IN LISTS files)
  file(SIZE "${folder}/${name}" size)
  message("  ${name}  ${size} bytes")
endforeach()

# SHA256SUMS: one line per other file, sorted, each digest right.
file(STRINGS "${folder}/SHA256SUMS" sums)
set(listed "")
foreach(line IN LISTS sums)
  if(NOT line MATCHES "^([0-9a-f]+)  (.+)$")
    message(FATAL_ERROR "SHA256SUMS: not a sha256sum line: ${line}")
  endif()
  set(name "${CMAKE_MATCH_2}")
  file(SHA256 "${folder}/${name}" digest)
  if(NOT digest STREQUAL CMAKE_MATCH_1)
    message(FATAL_ERROR "SHA256SUMS: ${name} has another digest")
  endif()
  list(APPEND listed "${name}")
endforeach()
set(others ${files})
list(REMOVE_ITEM others SHA256SUMS)
list(SORT others)
if(NOT listed STREQUAL others)
  message(FATAL_ERROR "SHA256SUMS lists ${listed}, the folder holds ${others}")
endif()
message("SHA256SUMS: every file, each digest right")

# A Windows program under Wine takes the folder as a Windows path.
set(check_folder "${folder}")
if(WINDOWS_PATHS)
  string(REPLACE "/" "\\" check_folder "Z:${folder}")
endif()
string(REPLACE "|" ";" check "${CHECK}")
string(REPLACE "|" ";" check_args "${CHECK_ARGS}")
execute_process(COMMAND ${check} "${check_folder}" ${check_args} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "package_check found faults")
endif()
