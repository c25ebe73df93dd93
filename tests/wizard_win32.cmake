# Tests of the Windows wizard: the dialog base on the real templates, the
# templates read back from the built program, its import table, and the
# program driven under Wine against the simulator.
if(NOT (WIN32 AND ZOR_BUILD_GUI))
    return()
endif()

# Without a window manager Wine waits about two seconds on every new top-level
# window for one to answer; unmanaged windows skip that wait.
add_test(NAME wine_windows_unmanaged
         COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} reg add "HKCU\\Software\\Wine\\X11 Driver"
                 /v Managed /d N /f)
set_tests_properties(wine_windows_unmanaged PROPERTIES FIXTURES_SETUP wine_windows_unmanaged)

if(TARGET dialog_base_win32_test)
    target_link_libraries(dialog_base_win32_test PRIVATE zor_wizard_win32 zor_win32_resources)
    set_tests_properties(dialog_base_win32_test PROPERTIES FIXTURES_REQUIRED wine_windows_unmanaged)
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

# The program driven like a person would, against the Linux-built simulator,
# its files compared with the Linux transfer tool's (build the linux preset
# first; without it these tests are skipped). All
# scenarios share one private Wine prefix and run one after the other.
set(ZOR_LINUX_SIMULATOR ${CMAKE_SOURCE_DIR}/build/linux/zor7700-sim CACHE FILEPATH
    "The Linux build of zor7700-sim the Wine end-to-end tests talk to")
set(ZOR_LINUX_TRANSFER_TOOL ${CMAKE_SOURCE_DIR}/build/linux/zor7700-transfer CACHE FILEPATH
    "The Linux build of zor7700-transfer whose files the wizard's must equal")
set(ZOR_E2E_PREFIX ${CMAKE_BINARY_DIR}/wizard-e2e-wineprefix)
set(ZOR_SCREENSHOT_DIR ${CMAKE_BINARY_DIR}/screenshots)

add_executable(wizard_driver ${CMAKE_CURRENT_SOURCE_DIR}/win32/wizard_driver.cpp)
target_include_directories(wizard_driver PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/generated)
target_link_options(wizard_driver PRIVATE -municode)
target_link_libraries(wizard_driver PRIVATE user32 gdi32 advapi32)
add_dependencies(wizard_driver zor7700track)

# Wine's annotation service sets no names; the prefix gets a stand-in that
# keeps them where the driver can read them back.
add_library(acc_prop_recorder SHARED ${CMAKE_CURRENT_SOURCE_DIR}/win32/acc_prop_recorder.cpp)
set_target_properties(acc_prop_recorder PROPERTIES PREFIX "")
target_link_libraries(acc_prop_recorder PRIVATE user32 uuid)
add_dependencies(wizard_driver acc_prop_recorder)

add_test(NAME wizard_e2e_prefix_setup
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/win32/wine_prefix.sh create ${ZOR_E2E_PREFIX}
                 Z:$<TARGET_FILE:acc_prop_recorder>)
add_test(NAME wizard_e2e_prefix_cleanup
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/win32/wine_prefix.sh remove ${ZOR_E2E_PREFIX})
set_tests_properties(wizard_e2e_prefix_setup PROPERTIES FIXTURES_SETUP wizard_e2e_prefix)
set_tests_properties(wizard_e2e_prefix_cleanup PROPERTIES FIXTURES_CLEANUP wizard_e2e_prefix)

# The KML run pictures six pages, the silent device the error page.
foreach(_scenario kml-erase nmea gpx no-device cancel-transfer cancel-output module)
    string(REPLACE "-" "_" _name wizard_e2e_${_scenario})
    set(_shots "")
    if(_scenario STREQUAL "kml-erase" OR _scenario STREQUAL "no-device")
        set(_shots ${ZOR_SCREENSHOT_DIR})
    endif()
    add_test(NAME ${_name}
             COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/win32/wizard_e2e.sh ${_scenario}
                     ${ZOR_LINUX_SIMULATOR} ${ZOR_LINUX_TRANSFER_TOOL} $<TARGET_FILE:wizard_driver>
                     $<TARGET_FILE:zor7700track> ${ZOR_E2E_PREFIX} ${_shots})
    set_tests_properties(${_name} PROPERTIES
        FIXTURES_REQUIRED wizard_e2e_prefix RESOURCE_LOCK wizard_e2e_prefix
        SKIP_REGULAR_EXPRESSION "not built.*skipped" TIMEOUT 300)
endforeach()
