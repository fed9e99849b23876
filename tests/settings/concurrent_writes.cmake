# Two processes, four threads each, write different keys of one settings
# file at the same time: every key written is there afterwards. On Windows
# the system's own profile functions write, and they serialise the threads of
# one process only (each process keeps its own copy of the file), so there
# one process writes.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
include(${CMAKE_CURRENT_LIST_DIR}/../support/wine_path.cmake)
wine_path(file ${WORK}/shared.ini)
set(count 60)
if(WINDOWS)
    execute_process(COMMAND ${EMULATOR} ${WRITER} ${file} a ${count} RESULTS_VARIABLE results)
    set(processes 1)
    set(succeeded "0")
else()
    # The commands of one execute_process run at the same time.
    execute_process(COMMAND ${WRITER} ${file} a ${count}
                    COMMAND ${WRITER} ${file} b ${count}
                    RESULTS_VARIABLE results)
    set(processes 2)
    set(succeeded "0;0")
endif()
if(NOT results STREQUAL succeeded)
    message(FATAL_ERROR "a writer failed: ${results}")
endif()
execute_process(COMMAND ${EMULATOR} ${WRITER} --count ${file} OUTPUT_VARIABLE kept)
string(STRIP "${kept}" kept)
math(EXPR written "${processes} * 4 * ${count}")
if(NOT kept EQUAL written)
    message(FATAL_ERROR "${written} keys written, ${kept} kept")
endif()
file(REMOVE_RECURSE ${WORK})
