# The Linux wizard: the shared dialog logic with a Qt 6 Widgets front end.
if(ZOR_BUILD_GUI AND NOT WIN32)
    find_package(Qt6 REQUIRED COMPONENTS Widgets)
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(ZOR_XCB REQUIRED IMPORTED_TARGET xcb)

    # Everything but the entry point, so the GUI tests can drive the window.
    add_library(zor_wizard_qt STATIC
        app/dialog_base_qt.cpp app/save_file_dialog_qt.cpp app/wizard_layout_qt.cpp
        app/wizard_view_qt.cpp
        resources/zor7700track.qrc)
    set_target_properties(zor_wizard_qt PROPERTIES AUTORCC ON)
    target_link_libraries(zor_wizard_qt PUBLIC zor_wizard Qt6::Widgets)

    add_executable(zor7700track app/main_qt.cpp)
    target_link_libraries(zor7700track PRIVATE zor_wizard_qt PkgConfig::ZOR_XCB)
endif()
