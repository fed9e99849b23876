# Cross build for 32-bit Windows with MinGW-w64, for the host's 32-bit
# edition: Lumbrasket.wdx. Otherwise as the 64-bit build (see
# mingw-w64-x86_64.cmake); its programs run under 32-bit Wine (wine32).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/run-under-wine.sh)
set(LUMBRASKET_OBJDUMP i686-w64-mingw32-objdump)

execute_process(COMMAND i686-w64-mingw32-g++-win32 -print-file-name=libstdc++.a
    OUTPUT_VARIABLE win32_runtime OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(win32_runtime AND EXISTS "${win32_runtime}")
    get_filename_component(LUMBRASKET_WIN32_THREAD_RUNTIME "${win32_runtime}" DIRECTORY)
endif()
