# Tests of the Windows wizard: the dialog base on the real templates, the
# templates read back from the built program, its import table, and the
# program driven under Wine against the simulator.
if(NOT (WIN32 AND ZOR_BUILD_GUI))
    return()
endif()

if(TARGET dialog_base_win32_test)
    target_link_libraries(dialog_base_win32_test PRIVATE zor_wizard_win32 zor_win32_resources)
endif()
