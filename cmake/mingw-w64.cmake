# What both MinGW-w64 cross builds share, for the triple in MINGW_TRIPLE
# (set by mingw-w64-x86_64.cmake or mingw-w64-i686.cmake). The posix thread
# model gives std::thread and std::mutex to the tests; -static (set in the
# top-level list) puts its runtime inside every binary, so nothing but system
# DLLs is imported.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Windows test programs run under Wine; ctest starts them through this.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/run-under-wine.sh)
set(LUMBRASKET_OBJDUMP ${MINGW_TRIPLE}-objdump)

# The plugin itself needs no POSIX threads: it links the C++ runtime of the
# win32 thread model, whose exception and TLS support use Windows' own
# primitives, so winpthreads stays out of it.
execute_process(COMMAND ${MINGW_TRIPLE}-g++-win32 -print-file-name=libstdc++.a
    OUTPUT_VARIABLE win32_runtime OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(win32_runtime AND EXISTS "${win32_runtime}")
    get_filename_component(LUMBRASKET_WIN32_THREAD_RUNTIME "${win32_runtime}" DIRECTORY)
endif()
