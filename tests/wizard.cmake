# The wizard's logic is a library of its own; its test links it.
target_link_libraries(main_dlg_test PRIVATE zor_wizard)
