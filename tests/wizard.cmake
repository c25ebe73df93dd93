# The wizard's logic is a library of its own; its tests link it.
foreach(_zor_wizard_test main_dlg_test main_dlg_posix_test)
    if(TARGET ${_zor_wizard_test})
        target_link_libraries(${_zor_wizard_test} PRIVATE zor_wizard)
    endif()
endforeach()
