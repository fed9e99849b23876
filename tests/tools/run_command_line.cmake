# Runs lumbrasket with one case's arguments ('|' between them) and
# expects its exit code and a message on the error output, or with an exit
# of 0 or 1 (the check's: no warning, a warning), on the standard output.
string(REPLACE "|" ";" arguments "${ARGUMENTS}")
execute_process(COMMAND ${EMULATOR} ${TOOL} ${arguments}
    OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE result)
if(NOT result STREQUAL "${EXPECTED_EXIT}")
    message(FATAL_ERROR "exit ${result}, expected ${EXPECTED_EXIT}:\n${output}${errors}")
endif()
# Every byte printed is printable: a control character from a name would act
# on the terminal. Windows ends lines with CR LF.
set(controls "")
foreach(code RANGE 1 31)
    if(NOT code EQUAL 10)
        string(ASCII ${code} control)
        string(APPEND controls "${control}")
    endif()
endforeach()
string(ASCII 127 delete)
string(REPLACE "\r\n" "\n" printed "${output}${errors}")
if(printed MATCHES "[${controls}${delete}]")
    message(FATAL_ERROR "a control character printed:\n${printed}")
endif()
if(EXPECTED_EXIT EQUAL 0 OR EXPECTED_EXIT EQUAL 1)
    set(errors "${output}")
endif()
if(NOT errors MATCHES "${EXPECTED_MESSAGE}")
    message(FATAL_ERROR "no message \"${EXPECTED_MESSAGE}\" in:\n${errors}")
endif()
