# Reads the Windows release zip back: exactly FILES inside one folder FOLDER,
# the TEXT_FILES with CRLF line ends only, the programs importing only DLLs
# that Windows ships.
# Usage: cmake -DZIP=<zip> -DFOLDER=<name> -DFILES=<a;b> -DTEXT_FILES=<a;b>
#              -DOBJDUMP=<objdump> -P check_release_zip.cmake
cmake_minimum_required(VERSION 3.25)
get_filename_component(unpacked "${ZIP}.check" ABSOLUTE)
file(REMOVE_RECURSE "${unpacked}")
file(MAKE_DIRECTORY "${unpacked}")
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf "${ZIP}" WORKING_DIRECTORY "${unpacked}"
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cannot unpack ${ZIP}")
endif()

file(GLOB_RECURSE found LIST_DIRECTORIES false RELATIVE "${unpacked}" "${unpacked}/*")
set(expected "")
foreach(name ${FILES})
    list(APPEND expected "${FOLDER}/${name}")
endforeach()
list(SORT found)
list(SORT expected)
if(NOT found STREQUAL expected)
    message(FATAL_ERROR "${ZIP} holds\n  ${found}\ninstead of\n  ${expected}")
endif()

# file(READ) as text drops carriage returns, so the bytes are read as hex.
foreach(name ${TEXT_FILES})
    file(READ "${unpacked}/${FOLDER}/${name}" hex HEX)
    string(REGEX MATCHALL ".." bytes "${hex}")
    set(previous "")
    set(lines 0)
    foreach(byte ${bytes})
        if(byte STREQUAL "0a" AND NOT previous STREQUAL "0d")
            message(FATAL_ERROR "${name}: a line ends without CR")
        elseif(byte STREQUAL "0a")
            math(EXPR lines "${lines} + 1")
        endif()
        set(previous ${byte})
    endforeach()
    if(lines EQUAL 0)
        message(FATAL_ERROR "${name}: no CRLF line at all")
    endif()
endforeach()

foreach(name ${FILES})
    if(name MATCHES "\\.exe$")
        execute_process(COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${OBJDUMP}
                                -DPROGRAM=${unpacked}/${FOLDER}/${name}
                                -P ${CMAKE_CURRENT_LIST_DIR}/check_imports.cmake
                        RESULT_VARIABLE result)
        if(NOT result EQUAL 0)
            message(FATAL_ERROR "${name}: imports DLLs that Windows does not ship")
        endif()
    endif()
endforeach()
file(REMOVE_RECURSE "${unpacked}")
message(STATUS "${ZIP}: ${expected}, CRLF text, system DLLs only")
