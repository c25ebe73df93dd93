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

if(NOT WIN32)
    add_executable(transfer_tool_test sim/transfer_tool_test.cpp sim/pty_client.cpp)
    target_link_libraries(transfer_tool_test PRIVATE zor_test_support zor_wizard GTest::gtest_main)
    target_compile_definitions(transfer_tool_test PRIVATE
        ZOR_TRANSFER_TOOL_PATH="$<TARGET_FILE:zor7700-transfer>")
    add_dependencies(transfer_tool_test zor7700-transfer)
    add_test(NAME transfer_tool_test COMMAND transfer_tool_test)
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
