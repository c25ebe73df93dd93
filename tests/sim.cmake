# The simulator's own tests and the transfer tool's end-to-end tests: both
# start zor7700-sim on a pseudo-terminal, so they exist on Linux only.
if(NOT WIN32)
    # Shared helpers (tests/support/simulator_process_posix.h) find the simulator here.
    target_compile_definitions(zor_test_support ${_scope} ZOR_SIM_PATH="$<TARGET_FILE:zor7700-sim>")
    add_dependencies(zor_test_support zor7700-sim)

    add_executable(simulator_test sim/simulator_test.cpp sim/sim_parts_test.cpp sim/pty_client.cpp)
    target_link_libraries(simulator_test PRIVATE zor_sim zor_test_support GTest::gtest_main)
    add_test(NAME simulator_test COMMAND simulator_test)
endif()

# The transfer tool: in-process in fast time (transfer_tool_test), and the
# built program end to end with the real time limits (transfer_tool_e2e_test).
if(NOT WIN32)
    foreach(_zor_tool_test transfer_tool_test transfer_tool_e2e_test)
        add_executable(${_zor_tool_test} sim/${_zor_tool_test}.cpp sim/tool_runs.cpp)
        target_link_libraries(${_zor_tool_test} PRIVATE zor_test_support zor_transfer_tool
                              GTest::gtest_main)
        target_compile_definitions(${_zor_tool_test} PRIVATE
            ZOR_TRANSFER_TOOL_PATH="$<TARGET_FILE:zor7700-transfer>")
        add_dependencies(${_zor_tool_test} zor7700-transfer)
        add_test(NAME ${_zor_tool_test} COMMAND ${_zor_tool_test})
    endforeach()
    target_sources(transfer_tool_test PRIVATE sim/pty_client.cpp)
endif()

# The Windows build of the transfer tool under wine64, against the simulator
# and compared with the transfer tool of the linux preset's build.
if(WIN32)
    set(ZOR_NATIVE_BUILD "${CMAKE_SOURCE_DIR}/build/linux" CACHE PATH
        "The linux preset's build, whose simulator and transfer tool the Wine test uses")
    add_test(NAME transfer_tool_wine_e2e
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/sim/run_transfer_tool_wine.sh
                     $<TARGET_FILE:zor7700-transfer> ${ZOR_NATIVE_BUILD}/zor7700-sim
                     ${ZOR_NATIVE_BUILD}/zor7700-transfer /usr/lib/wine/wine64
                     ${CMAKE_SOURCE_DIR}/build/wineprefix)
    set_tests_properties(transfer_tool_wine_e2e PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300)
endif()
