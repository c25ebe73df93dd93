# The Qt window itself: driven under a virtual display against the simulator,
# started without any display at all, and installed.
if(TARGET zor7700track AND TARGET zor7700-sim)
    find_package(Qt6 REQUIRED COMPONENTS Test)
    add_executable(wizard_qt_gui_test gui/wizard_qt_gui_test.cpp gui/gui_driver.cpp)
    target_link_libraries(wizard_qt_gui_test PRIVATE zor_wizard_qt Qt6::Test GTest::gtest)
    target_compile_definitions(wizard_qt_gui_test PRIVATE
        ZOR_SIM_PATH="$<TARGET_FILE:zor7700-sim>"
        ZOR_SCREENSHOT_DIR="${CMAKE_BINARY_DIR}/screenshots")
    add_dependencies(wizard_qt_gui_test zor7700-sim)

    find_program(ZOR_XVFB_RUN xvfb-run)
    if(ZOR_XVFB_RUN)
        add_test(NAME wizard_qt_gui
                 COMMAND ${ZOR_XVFB_RUN} -a -s "-screen 0 1024x768x24 -dpi 96" $<TARGET_FILE:wizard_qt_gui_test>)
        set_tests_properties(wizard_qt_gui PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=xcb" TIMEOUT 400)

        # What a screen reader finds, over AT-SPI: Debian's python3-pyatspi
        # belongs to Debian's Python, whatever python3 comes first on PATH.
        add_test(NAME wizard_qt_atspi
                 COMMAND dbus-run-session -- /usr/bin/python3
                         ${CMAKE_CURRENT_SOURCE_DIR}/gui/wizard_atspi.py
                         $<TARGET_FILE:zor7700track> $<TARGET_FILE:zor7700-sim>)
        set_tests_properties(wizard_qt_atspi PROPERTIES TIMEOUT 120)
    endif()

    add_test(NAME wizard_qt_without_display
             COMMAND env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM $<TARGET_FILE:zor7700track>)
    set_tests_properties(wizard_qt_without_display PROPERTIES
        PASS_REGULAR_EXPRESSION "found no display" TIMEOUT 30)

    add_test(NAME wizard_qt_install
             COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR}
                     -DPREFIX=${CMAKE_BINARY_DIR}/install-check -P ${CMAKE_CURRENT_SOURCE_DIR}/gui/check_install.cmake)
endif()
