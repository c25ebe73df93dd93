# The Linux wizard: the shared dialog logic with a Qt 6 Widgets front end.
if(ZOR_BUILD_GUI AND NOT WIN32)
    find_package(Qt6 REQUIRED COMPONENTS Widgets)
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(ZOR_XCB REQUIRED IMPORTED_TARGET xcb)

    # The pages' table comes from the resource script, the Windows window's
    # own source, so the two front ends cannot drift apart.
    set(_zor_layouts ${CMAKE_BINARY_DIR}/generated/dialog_layouts_qt.inc)
    add_custom_command(OUTPUT ${_zor_layouts}
        COMMAND ${CMAKE_COMMAND} -DRC=${CMAKE_SOURCE_DIR}/resources/zor7700track.rc
                -DOUT=${_zor_layouts} -P ${CMAKE_SOURCE_DIR}/cmake/dialog_layouts.cmake
        DEPENDS resources/zor7700track.rc cmake/dialog_layouts.cmake
        COMMENT "Reading the dialog templates for the Qt front end")

    # Everything but the entry point, so the GUI tests can drive the window.
    add_library(zor_wizard_qt STATIC
        app/accessible_combo_qt.cpp app/dialog_base_qt.cpp app/save_file_dialog_qt.cpp app/wizard_layout_qt.cpp
        app/wizard_view_qt.cpp ${_zor_layouts}
        resources/zor7700track.qrc)
    set_target_properties(zor_wizard_qt PROPERTIES AUTORCC ON)
    target_link_libraries(zor_wizard_qt PUBLIC zor_wizard Qt6::Widgets)

    add_executable(zor7700track app/main_qt.cpp)
    target_link_libraries(zor7700track PRIVATE zor_wizard_qt PkgConfig::ZOR_XCB)
endif()
