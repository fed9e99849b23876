# Runs the stack smash probe twice: within its array it must run to its end;
# past it, the process must end before the probe says it survived.
# Usage: cmake -DPROBE=FILE [-DEMULATOR=wine-runner] -P check_stack_protector.cmake
foreach(count 4 64)
    execute_process(COMMAND ${EMULATOR} ${PROBE} ${count}
        RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
    if(count EQUAL 4 AND NOT (result EQUAL 0 AND output MATCHES "survived"))
        message(FATAL_ERROR "the probe failed within its array: ${result}\n${output}${errors}")
    endif()
    if(count EQUAL 64 AND (result EQUAL 0 OR output MATCHES "survived"))
        message(FATAL_ERROR "an overrun of a stack array went unnoticed: ${result}\n${output}")
    endif()
endforeach()
message(STATUS "the stack protector ends a process that overran a stack array")
