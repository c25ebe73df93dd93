# Port discovery against a mock BlueZ (python3-dbusmock's bluez5 template) on a
# private system bus. Debian's own interpreter: it sees python3-dbusmock, where
# a python3 from pyenv or a virtual environment earlier on PATH would not.
if(NOT WIN32)
    add_test(NAME bluetooth_paired_loggers
             COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/bluetooth/paired_loggers_test.py
                     $<TARGET_FILE:zor7700-transfer>)
    set_tests_properties(bluetooth_paired_loggers PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 120)
endif()
