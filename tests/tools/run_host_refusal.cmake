# Runs lumbrasket against a file that is no plugin, or a library without
# the plugin's exports, and expects a clear message and exit code 3.
execute_process(COMMAND ${EMULATOR} ${TOOL} --plugin ${NOT_A_PLUGIN} ${CMAKE_CURRENT_LIST_DIR}
    OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE result)
if(NOT result STREQUAL "3")
    message(FATAL_ERROR "lumbrasket gave exit ${result}, expected 3:\n${output}${errors}")
endif()
if(NOT errors MATCHES "${EXPECTED_MESSAGE}")
    message(FATAL_ERROR "no message \"${EXPECTED_MESSAGE}\" in:\n${errors}")
endif()
