# Runs lumbrasket over examples/sample with examples/Lumbrasket.ini and
# compares the table it prints (everything after the first blank line) with
# the expected table.
execute_process(
    COMMAND ${EMULATOR} ${TOOL} --host-settings ${EXAMPLES}/wdx.ini --plugin ${PLUGIN} ${EXAMPLES}/sample
    OUTPUT_VARIABLE output
    ERROR_VARIABLE errors
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "lumbrasket failed (${result}):\n${output}${errors}")
endif()
string(REPLACE "\r\n" "\n" output "${output}")
string(FIND "${output}" "\n\n" tableStart)
if(tableStart EQUAL -1)
    message(FATAL_ERROR "no table in the output:\n${output}")
endif()
math(EXPR tableStart "${tableStart} + 2")
string(SUBSTRING "${output}" ${tableStart} -1 table)
file(READ ${EXPECTED} expected)
if(NOT table STREQUAL expected)
    message(FATAL_ERROR "table differs.\nPrinted:\n${table}\nExpected:\n${expected}")
endif()
if(NOT output MATCHES "settings file: beside the host settings file")
    message(FATAL_ERROR "the sample settings were not found beside the host settings:\n${output}")
endif()
message(STATUS "table as expected")
