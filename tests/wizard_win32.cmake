# Tests of the Windows wizard: the dialog base on the real templates, the
# templates read back from the built program, its import table, and the
# program driven under Wine against the simulator.
if(NOT (WIN32 AND ZOR_BUILD_GUI))
    return()
endif()

if(TARGET dialog_base_win32_test)
    target_link_libraries(dialog_base_win32_test PRIVATE zor_wizard_win32 zor_win32_resources)
endif()

# Windows paths of the program for the tests that run under Wine (Z: is /).
set(ZOR_PROGRAM_WINE_PATH "Z:$<TARGET_FILE:zor7700track>")

add_executable(program_resources_test ${CMAKE_CURRENT_SOURCE_DIR}/win32/program_resources_test.cpp)
target_link_libraries(program_resources_test PRIVATE zor_core GTest::gtest version)
target_link_options(program_resources_test PRIVATE -municode)
add_test(NAME program_resources COMMAND program_resources_test ${ZOR_PROGRAM_WINE_PATH})

# The program may import only what Windows ships; the 32-bit release build is
# checked too when it has been built beside this tree.
add_test(NAME program_imports_win64
         COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DPROGRAM=$<TARGET_FILE:zor7700track>
                 -P ${CMAKE_SOURCE_DIR}/cmake/check_imports.cmake)
set(ZOR_WIN32_RELEASE_PROGRAM ${CMAKE_SOURCE_DIR}/build/win32/ZOR7700Track.exe)
add_test(NAME program_imports_win32
         COMMAND ${CMAKE_COMMAND} -DOBJDUMP=i686-w64-mingw32-objdump -DPROGRAM=${ZOR_WIN32_RELEASE_PROGRAM}
                 -DSKIP_IF_MISSING=ON -P ${CMAKE_SOURCE_DIR}/cmake/check_imports.cmake)
set_tests_properties(program_imports_win32 PROPERTIES SKIP_REGULAR_EXPRESSION "not built, skipped")
