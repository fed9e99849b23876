# Runs lumbrasket-host with one case's arguments ('|' between them) and
# expects its exit code and a message on the error output.
string(REPLACE "|" ";" arguments "${ARGUMENTS}")
execute_process(COMMAND ${EMULATOR} ${TOOL} ${arguments}
    OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE result)
if(NOT result STREQUAL "${EXPECTED_EXIT}")
    message(FATAL_ERROR "exit ${result}, expected ${EXPECTED_EXIT}:\n${output}${errors}")
endif()
if(NOT errors MATCHES "${EXPECTED_MESSAGE}")
    message(FATAL_ERROR "no message \"${EXPECTED_MESSAGE}\" in:\n${errors}")
endif()
