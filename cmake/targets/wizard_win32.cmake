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
                      user32 shell32)

add_executable(zor7700track WIN32 ${CMAKE_SOURCE_DIR}/app/main_win32.cpp)
set_target_properties(zor7700track PROPERTIES OUTPUT_NAME ZOR7700Track)
target_link_options(zor7700track PRIVATE -municode -mwindows $<$<CONFIG:Release>:-s>)
target_link_libraries(zor7700track PRIVATE zor_wizard_win32 zor_win32_resources)

# Every program build checks that it imports only DLLs that Windows ships.
add_custom_command(TARGET zor7700track POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DPROGRAM=$<TARGET_FILE:zor7700track>
            -P ${CMAKE_SOURCE_DIR}/cmake/check_imports.cmake
    VERBATIM)

# The release zip: the program, README and licence.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(ZOR_RELEASE_ARCH win32)
else()
    set(ZOR_RELEASE_ARCH win64)
endif()
set(ZOR_RELEASE_ZIP ${CMAKE_BINARY_DIR}/ZOR7700Track-${PROJECT_VERSION}-${ZOR_RELEASE_ARCH}.zip)
set(ZOR_RELEASE_DIR ${CMAKE_BINARY_DIR}/release)
add_custom_target(release_zip
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${ZOR_RELEASE_DIR}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${ZOR_RELEASE_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:zor7700track> ${CMAKE_SOURCE_DIR}/README.md
            ${CMAKE_SOURCE_DIR}/LICENSE ${ZOR_RELEASE_DIR}
    COMMAND ${CMAKE_COMMAND} -E chdir ${ZOR_RELEASE_DIR}
            ${CMAKE_COMMAND} -E tar cf ${ZOR_RELEASE_ZIP} --format=zip
            ZOR7700Track.exe README.md LICENSE
    DEPENDS zor7700track
    COMMENT "Packing ${ZOR_RELEASE_ZIP}"
    VERBATIM)
