# Cross build for 64-bit Windows with MinGW-w64. The posix thread model gives
# std::thread and std::mutex to the tests; -static (set in the top-level list)
# puts its runtime inside every binary, so nothing but system DLLs is imported.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Windows test programs run under Wine; ctest starts them through this.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/run-under-wine.sh)
set(LUMBRASKET_OBJDUMP x86_64-w64-mingw32-objdump)

# The plugin itself needs no POSIX threads: it links the C++ runtime of the
# win32 thread model, whose exception and TLS support use Windows' own
# primitives, so winpthreads stays out of it.
execute_process(COMMAND x86_64-w64-mingw32-g++-win32 -print-file-name=libstdc++.a
    OUTPUT_VARIABLE win32_runtime OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(win32_runtime AND EXISTS "${win32_runtime}")
    get_filename_component(LUMBRASKET_WIN32_THREAD_RUNTIME "${win32_runtime}" DIRECTORY)
endif()
