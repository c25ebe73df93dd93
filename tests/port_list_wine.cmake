# Ports mapped in Wine's registry reach the port list only after a restart of
# the Wine server, so this test runs alone.
if(WIN32 AND CMAKE_CROSSCOMPILING_EMULATOR)
    add_test(NAME port_list_wine_ports
             COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/port_list_wine_ports.sh
                     ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:port_list_win32_test>)
    set_tests_properties(port_list_wine_ports PROPERTIES RUN_SERIAL TRUE)
endif()
