# Cross build for 32-bit Windows with MinGW-w64, for the host's 32-bit
# edition: Lumbrasket.wdx. Its programs run under 32-bit Wine (wine32).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
