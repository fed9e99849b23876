# Runs lumbrasket with one case's arguments ('|' between them) and
# expects its exit code and a message on the error output, or with an exit
# of 0, on the standard output.
string(REPLACE "|" ";" arguments "${ARGUMENTS}")
execute_process(COMMAND ${EMULATOR} ${TOOL} ${arguments}
    OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE result)
if(NOT result STREQUAL "${EXPECTED_EXIT}")
    message(FATAL_ERROR "exit ${result}, expected ${EXPECTED_EXIT}:\n${output}${errors}")
endif()
if(EXPECTED_EXIT EQUAL 0)
    set(errors "${output}")
endif()
if(NOT errors MATCHES "${EXPECTED_MESSAGE}")
    message(FATAL_ERROR "no message \"${EXPECTED_MESSAGE}\" in:\n${errors}")
endif()
