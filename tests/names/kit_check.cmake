# corvane-names run as a user runs it, on a generated test header:
#   - it writes names.csv, corvane_names.lua and corvane_names.h;
#   - the Lua module loads in Lua 5.1 and holds a field table or an offset
#     for every name and a number for every command;
#   - the C header, every one of its constants used, compiles clean from C99
#     to C++20 with the kit's warnings as errors;
#   - a header with a bit-field is refused with its line and nothing is written.
# -DNAMES=corvane-names -DWRITER=write_test_header -DLUA=lua5.1 -DCC=gcc
# -DCXX=g++ -DDOCS=<docs folder> -DWORK=<scratch folder>
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/out")

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(run_code "${code}" PARENT_SCOPE)
  set(run_out "${out}" PARENT_SCOPE)
  set(run_err "${err}" PARENT_SCOPE)
endfunction()

run(${WRITER} "${WORK}/TestSDK.h" 0)
if(NOT run_code EQUAL 0)
  message(FATAL_ERROR "the test header could not be written")
endif()
run(${NAMES} "${WORK}/TestSDK.h" --kit --out "${WORK}/out/names.csv")
if(NOT run_code EQUAL 0)
  message(FATAL_ERROR "corvane-names failed (${run_code}): ${run_err}")
endif()
if(NOT run_out MATCHES "SDK1 TEST_SDK1_Struct, SDK2 TEST_SDK2_Struct: [0-9]+ offsets, [0-9]+ annunciator fields, 5 commands")
  message(FATAL_ERROR "unexpected summary: ${run_out}")
endif()
foreach(f names.csv corvane_names.lua corvane_names.h)
  if(NOT EXISTS "${WORK}/out/${f}")
    message(FATAL_ERROR "${f} was not written")
  endif()
endforeach()

# Lua 5.1: the module loads; every entry is a field table or an offset of the
# block; every command a number.
if(LUA)
  file(WRITE "${WORK}/load.lua" "
local names = dofile('${WORK}/out/corvane_names.lua')
local fields, offsets, commands = 0, 0, 0
for key, v in pairs(names) do
  if key == 'command' then
    for _, code in pairs(v) do assert(type(code) == 'number' and code == math.floor(code)); commands = commands + 1 end
  elseif type(v) == 'table' then
    assert(v.offset >= 0x9402 and v.offset <= 0x9427 and v.mask > 0 and v.states >= 2, key)
    fields = fields + 1
  else
    assert(type(v) == 'number' and v >= 0x9400 and v <= 0x94FB, key)
    offsets = offsets + 1
  end
end
assert(names.command.KEY_COMMAND_TEST_ONE == 1232 and names.command.KEY_COMMAND_TEST_BACK == -2)
print(fields .. ' ' .. offsets .. ' ' .. commands)
")
  run(${LUA} "${WORK}/load.lua")
  if(NOT run_code EQUAL 0 OR NOT run_out MATCHES "^[1-9][0-9]* [1-9][0-9]* 5")
    message(FATAL_ERROR "corvane_names.lua in Lua 5.1: ${run_out}${run_err}")
  endif()
endif()

# The C header: every constant it defines, used.
file(STRINGS "${WORK}/out/corvane_names.h" defines REGEX "^#define CORVANE_(SDK|CMD)_[A-Za-z0-9_]+ ")
set(uses "")
foreach(line IN LISTS defines)
  string(REGEX REPLACE "^#define ([A-Za-z0-9_]+) .*" "\\1" name "${line}")
  string(APPEND uses "    (long long)(${name}),\n")
endforeach()
list(LENGTH defines count)
if(count LESS 500)
  message(FATAL_ERROR "corvane_names.h defines only ${count} constants")
endif()
file(WRITE "${WORK}/use.c" "#include \"corvane_names.h\"\nstatic const long long all[] = {\n${uses}};\nint main(void) { return all[0] == 0; }\n")
configure_file("${WORK}/use.c" "${WORK}/use.cpp" COPYONLY)
set(warnings -Wall -Wextra -Wpedantic -Wconversion -Werror)
foreach(std c99 c11 c17)
  run(${CC} -std=${std} ${warnings} -I "${DOCS}" -I "${WORK}/out" -fsyntax-only "${WORK}/use.c")
  if(NOT run_code EQUAL 0)
    message(FATAL_ERROR "corvane_names.h as ${std}: ${run_err}")
  endif()
endforeach()
foreach(std c++11 c++14 c++17 c++20)
  run(${CXX} -std=${std} ${warnings} -I "${DOCS}" -I "${WORK}/out" -fsyntax-only "${WORK}/use.cpp")
  if(NOT run_code EQUAL 0)
    message(FATAL_ERROR "corvane_names.h as ${std}: ${run_err}")
  endif()
endforeach()

# A bit-field: the line named, nothing written, exit code 1.
file(MAKE_DIRECTORY "${WORK}/bad")
file(WRITE "${WORK}/bad/Bad.h" "struct Flags {\n    int lamp : 1;\n};\n")
run(${NAMES} "${WORK}/bad/Bad.h" --kit)
if(NOT run_code EQUAL 1 OR NOT run_err MATCHES "Bad.h:2: a bit-field\nnothing written")
  message(FATAL_ERROR "a bit-field: exit ${run_code}, said: ${run_err}")
endif()
file(GLOB written "${WORK}/bad/*")
list(LENGTH written count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "a refused header left files: ${written}")
endif()
message(STATUS "corvane-names: kit and refusal checked")
