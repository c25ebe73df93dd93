# Reads the Windows release zip back: exactly FILES inside one folder FOLDER,
# every .txt file with CRLF line ends only. The programs' imports are checked
# when they are built (check_imports.cmake).
# Usage: cmake -DZIP=<zip> -DFOLDER=<name> -DFILES=<a;b> -P check_release_zip.cmake
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

# file(READ) as text drops carriage returns, so the bytes are read as hex,
# each byte preceded by a space; what is left of the LFs once every CR LF
# pair is gone ended a line without CR.
foreach(name ${FILES})
    if(NOT name MATCHES "\\.txt$")
        continue()
    endif()
    file(READ "${unpacked}/${FOLDER}/${name}" hex HEX)
    string(REGEX REPLACE "(..)" " \\1" bytes "${hex}")
    string(REPLACE " 0d 0a" "" without_crlf "${bytes}")
    if(without_crlf MATCHES " 0a")
        message(FATAL_ERROR "${name}: a line ends without CR")
    elseif(without_crlf STREQUAL bytes)
        message(FATAL_ERROR "${name}: no CRLF line at all")
    endif()
endforeach()
file(REMOVE_RECURSE "${unpacked}")
message(STATUS "${ZIP}: ${expected}, CRLF text")
