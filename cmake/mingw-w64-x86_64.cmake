set(ZOR_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
# Tests of the Windows build run under Wine on this machine.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
