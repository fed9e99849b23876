# Runs `lumbrasket init` in a folder of its own: it writes the file through
# a temporary that does not remain, refuses to replace it without --force
# (exit 5, the file untouched), replaces it with --force, and with
# `--output -` writes the table to the standard output.
set(folder ${WORK}/init-run)
file(REMOVE_RECURSE ${folder})
file(MAKE_DIRECTORY ${folder})
set(target ${folder}/Lumbrasket.ini)

function(run_init expected_exit)
    execute_process(COMMAND ${EMULATOR} ${TOOL} init ${ARGN}
        WORKING_DIRECTORY ${folder}
        OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE result)
    if(NOT result STREQUAL "${expected_exit}")
        message(FATAL_ERROR "init ${ARGN}: exit ${result}, expected ${expected_exit}:\n${output}${errors}")
    endif()
    set(output "${output}" PARENT_SCOPE)
    set(errors "${errors}" PARENT_SCOPE)
endfunction()

function(expect_only_the_target)
    file(GLOB entries RELATIVE ${folder} ${folder}/* ${folder}/.*)
    if(NOT entries STREQUAL "Lumbrasket.ini")
        message(FATAL_ERROR "the folder holds: ${entries}")
    endif()
endfunction()

run_init(0 --output ${target})
if(NOT output MATCHES "wrote [^\n]*Lumbrasket.ini: [1-9][0-9]* patterns in [1-9][0-9]* groups")
    message(FATAL_ERROR "no summary in:\n${output}")
endif()
expect_only_the_target()
file(READ ${target} written)
if(NOT written MATCHES "\n\\[Groups\\]\n0=" OR NOT written MATCHES "UnknownGroupPlaceHolder=Other")
    message(FATAL_ERROR "not a table:\n${written}")
endif()

file(WRITE ${target} "kept")
run_init(5)
if(NOT errors MATCHES "Lumbrasket.ini exists; --force replaces it")
    message(FATAL_ERROR "no refusal in:\n${errors}")
endif()
file(READ ${target} kept)
if(NOT kept STREQUAL "kept")
    message(FATAL_ERROR "the file was changed without --force")
endif()
expect_only_the_target()

run_init(0 --force)
file(READ ${target} replaced)
if(NOT replaced STREQUAL written)
    message(FATAL_ERROR "--force did not write the same table")
endif()
expect_only_the_target()

run_init(0 --output -)
string(REPLACE "\r\n" "\n" output "${output}")
if(NOT output STREQUAL written OR NOT errors MATCHES "wrote [1-9][0-9]* patterns")
    message(FATAL_ERROR "the standard output differs from the file:\n${errors}")
endif()
expect_only_the_target()
file(REMOVE_RECURSE ${folder})
