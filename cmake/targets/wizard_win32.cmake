# The Windows wizard, ZOR7700Track.exe: Win32 dialogs from resources/, the
# shared wizard logic of app/, statically linked so it runs on a bare Windows.
if(NOT (WIN32 AND ZOR_BUILD_GUI))
    return()
endif()

# windres gets only defines and include paths: the compilers' warning flags
# would make it fail, so the resource script is not a CMake RC source.
set(ZOR_RESOURCE_OBJECT ${CMAKE_BINARY_DIR}/zor7700track_res.o)
add_custom_command(
    OUTPUT ${ZOR_RESOURCE_OBJECT}
    COMMAND ${CMAKE_RC_COMPILER} -DUNICODE -D_UNICODE
            -I${CMAKE_SOURCE_DIR}/resources -I${CMAKE_BINARY_DIR}/generated
            -O coff -i ${CMAKE_SOURCE_DIR}/resources/zor7700track.rc -o ${ZOR_RESOURCE_OBJECT}
    DEPENDS ${CMAKE_SOURCE_DIR}/resources/zor7700track.rc
            ${CMAKE_SOURCE_DIR}/resources/resource_ids.h
            ${CMAKE_SOURCE_DIR}/resources/zor7700track.ico
            ${CMAKE_SOURCE_DIR}/resources/zor7700track.manifest
            ${CMAKE_BINARY_DIR}/generated/version.h
    COMMENT "Compiling the Windows resources"
    VERBATIM)
add_custom_target(zor_resources_object DEPENDS ${ZOR_RESOURCE_OBJECT})
# Linking this puts the templates, icon, version record and manifest into an
# executable (the program, or a test that runs the real templates).
add_library(zor_win32_resources INTERFACE)
target_link_libraries(zor_win32_resources INTERFACE ${ZOR_RESOURCE_OBJECT})
add_dependencies(zor_win32_resources zor_resources_object)

# The Win32 dialog base and wizard view on the shared logic (zor_wizard); the
# program and the tests link what they use of it.
file(GLOB ZOR_WIZARD_WIN32_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/app/*_win32.cpp)
list(FILTER ZOR_WIZARD_WIN32_SOURCES EXCLUDE REGEX "/main_win32\\.cpp$")
add_library(zor_wizard_win32 STATIC ${ZOR_WIZARD_WIN32_SOURCES})
target_link_libraries(zor_wizard_win32 PUBLIC zor_wizard comctl32 comdlg32 version gdi32
                      user32 shell32 ole32 uuid)

add_executable(zor7700track WIN32 ${CMAKE_SOURCE_DIR}/app/main_win32.cpp)
set_target_properties(zor7700track PROPERTIES OUTPUT_NAME ZOR7700Track)
target_link_options(zor7700track PRIVATE -municode -mwindows $<$<CONFIG:Release>:-s>)
target_link_libraries(zor7700track PRIVATE zor_wizard_win32 zor_win32_resources)

# Every build of the two programs the release zip ships checks that they
# import only DLLs that Windows ships.
foreach(_zor_program zor7700track zor7700-transfer)
    add_custom_command(TARGET ${_zor_program} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DPROGRAM=$<TARGET_FILE:${_zor_program}>
                -P ${CMAKE_SOURCE_DIR}/cmake/check_imports.cmake
        VERBATIM)
endforeach()

# The release zip, for users: one folder ZOR7700Track-<version>/ with the
# program, the transfer tool of the same build, a plain-text README for
# Windows and the licence, both with CRLF line ends for Notepad. Packing ends
# with a check that the zip holds exactly that.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(ZOR_RELEASE_ARCH win32)
else()
    set(ZOR_RELEASE_ARCH win64)
endif()
set(ZOR_RELEASE_NAME ZOR7700Track-${PROJECT_VERSION})
set(ZOR_RELEASE_ZIP ${CMAKE_BINARY_DIR}/${ZOR_RELEASE_NAME}-${ZOR_RELEASE_ARCH}.zip)
set(ZOR_RELEASE_DIR ${CMAKE_BINARY_DIR}/release)
set(ZOR_RELEASE_TEXT ${CMAKE_BINARY_DIR}/release-text)
configure_file(${CMAKE_SOURCE_DIR}/resources/README-windows.txt ${ZOR_RELEASE_TEXT}/README.txt
               @ONLY NEWLINE_STYLE CRLF)
configure_file(${CMAKE_SOURCE_DIR}/LICENSE ${ZOR_RELEASE_TEXT}/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
set(ZOR_RELEASE_FILES ZOR7700Track.exe zor7700-transfer.exe README.txt LICENSE.txt)
add_custom_target(release_zip
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${ZOR_RELEASE_DIR} ${ZOR_RELEASE_ZIP}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${ZOR_RELEASE_DIR}/${ZOR_RELEASE_NAME}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:zor7700track> $<TARGET_FILE:zor7700-transfer>
            ${ZOR_RELEASE_TEXT}/README.txt ${ZOR_RELEASE_TEXT}/LICENSE.txt
            ${ZOR_RELEASE_DIR}/${ZOR_RELEASE_NAME}
    COMMAND ${CMAKE_COMMAND} -E chdir ${ZOR_RELEASE_DIR}
            ${CMAKE_COMMAND} -E tar cf ${ZOR_RELEASE_ZIP} --format=zip ${ZOR_RELEASE_NAME}
    COMMAND ${CMAKE_COMMAND} -DZIP=${ZOR_RELEASE_ZIP} -DFOLDER=${ZOR_RELEASE_NAME}
            "-DFILES=${ZOR_RELEASE_FILES}" -P ${CMAKE_SOURCE_DIR}/cmake/check_release_zip.cmake
    DEPENDS zor7700track zor7700-transfer
    COMMENT "Packing ${ZOR_RELEASE_ZIP}"
    VERBATIM)
