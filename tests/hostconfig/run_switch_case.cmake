# Starts switch_probe with the arguments of one case and compares what it
# prints. The probe runs from its own folder as ./switch_probe, so that no
# path on its command line can hold a "/i" of its own; the base path reaches
# it in SWITCH_PROBE_BASE for the same reason.
if(WINDOWS)
    set(sep "\\")
else()
    set(sep "/")
endif()
set(kept "command line kept 1")

# Takes the row of the case asked for: its arguments and expected lines, the
# path separator in place of '|'.
function(switch_case name)
    if(NOT name STREQUAL CASE)
        return()
    endif()
    cmake_parse_arguments(row "" "SWITCH;SETTINGS;WINDOWS_SWITCH;WINDOWS_SETTINGS;PROGRAM" "ARGS"
        ${ARGN})
    if(WINDOWS AND row_WINDOWS_SWITCH)
        set(row_SWITCH "${row_WINDOWS_SWITCH}")
        set(row_SETTINGS "${row_WINDOWS_SETTINGS}")
    endif()
    string(REPLACE "|" "${sep}" arguments "${row_ARGS}")
    string(REPLACE "|" "${sep}" switch "${row_SWITCH}")
    set(args "${arguments}" PARENT_SCOPE)
    set(program "${row_PROGRAM}" PARENT_SCOPE)
    set(expected "switch ${switch}" "settings ${row_SETTINGS}" PARENT_SCOPE)
endfunction()
include(${CMAKE_CURRENT_LIST_DIR}/switch_cases.cmake)
if(NOT DEFINED expected)
    message(FATAL_ERROR "unknown case ${CASE}")
endif()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/base)
file(WRITE ${WORK}/base/main.ini "[Configuration]\n")
get_filename_component(folder ${PROBE} DIRECTORY)
get_filename_component(name ${PROBE} NAME)
include(${CMAKE_CURRENT_LIST_DIR}/../support/wine_path.cmake)
wine_path(base ${WORK}/base/host.exe)
set(ENV{SWITCH_PROBE_BASE} "${base}")
unset(ENV{COMMANDER_INI})
unset(ENV{COMMANDER_PATH})
if(WINDOWS)
    # Wine would escape the quotes of an argument when it builds the Windows
    # command line; a batch file hands cmd the line exactly as written, as a
    # user types it. An argument with a blank is enclosed in quotes.
    set(line "@${name}")
    foreach(argument IN LISTS args)
        if(argument MATCHES " ")
            string(APPEND line " \"${argument}\"")
        else()
            string(APPEND line " ${argument}")
        endif()
    endforeach()
    file(WRITE ${folder}/switch_${CASE}.bat "${line}\r\n")
    execute_process(COMMAND ${EMULATOR} cmd /c switch_${CASE}.bat
        WORKING_DIRECTORY ${folder}
        OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE result)
elseif(program)
    # The program's own path as the line's first word, as a host started by
    # its full path has it.
    execute_process(COMMAND bash -c "exec -a \"$0\" ./${name} \"$@\"" ${program} ${args}
        WORKING_DIRECTORY ${folder}
        OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE result)
else()
    execute_process(COMMAND ./${name} ${args}
        WORKING_DIRECTORY ${folder}
        OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE result)
endif()
string(REPLACE "\r" "" output "${output}")
if(NOT result EQUAL 0)
    message(FATAL_ERROR "switch_probe failed (${result}): ${output}${errors}")
endif()
foreach(line IN LISTS expected kept)
    string(FIND "${output}" "${line}\n" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "case ${CASE}: expected the line\n  ${line}\nthe probe printed:\n${output}")
    endif()
endforeach()
