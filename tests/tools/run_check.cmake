# Runs `lumbrasket check SETTINGS` and expects the given exit code: 0 for
# a clean file, 1 when there is a warning, so users can guard a settings file
# in their own scripts.
execute_process(COMMAND ${EMULATOR} ${TOOL} check ${SETTINGS}
    OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE result)
if(NOT result STREQUAL EXPECTED_EXIT)
    message(FATAL_ERROR "check gave exit ${result}, expected ${EXPECTED_EXIT}:\n${output}${errors}")
endif()
