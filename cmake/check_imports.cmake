# Fails when a Windows program imports a DLL that Windows does not ship, such
# as the MinGW runtime (libstdc++-6.dll, libgcc_s_*.dll, libwinpthread-1.dll).
# Usage: cmake -DOBJDUMP=<objdump> -DPROGRAM=<exe> [-DSKIP_IF_MISSING=ON] -P check_imports.cmake
cmake_minimum_required(VERSION 3.25)
set(ZOR_SYSTEM_DLLS
    kernel32.dll user32.dll gdi32.dll comctl32.dll comdlg32.dll shell32.dll shlwapi.dll
    advapi32.dll setupapi.dll version.dll msvcrt.dll ole32.dll oleaut32.dll oleacc.dll
    cfgmgr32.dll)

if(SKIP_IF_MISSING AND NOT EXISTS ${PROGRAM})
    message(STATUS "${PROGRAM} not built, skipped")
    return()
endif()
execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM}
                OUTPUT_VARIABLE dump RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} -p ${PROGRAM} failed (${result})")
endif()
string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${dump}")
if(NOT imports)
    message(FATAL_ERROR "${PROGRAM}: no import table found")
endif()
set(foreign "")
set(names "")
foreach(line ${imports})
    string(REGEX REPLACE "DLL Name: *" "" name "${line}")
    string(STRIP "${name}" name)
    string(TOLOWER "${name}" lower)
    list(APPEND names ${name})
    if(NOT lower IN_LIST ZOR_SYSTEM_DLLS)
        list(APPEND foreign ${name})
    endif()
endforeach()
if(foreign)
    message(FATAL_ERROR "${PROGRAM} needs DLLs that Windows does not ship: ${foreign}")
endif()
message(STATUS "${PROGRAM} imports only system DLLs: ${names}")
