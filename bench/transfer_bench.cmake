# The transfer benchmark drives the real simulator, started the way the tests start it.
if(TARGET transfer_bench AND TARGET zor7700-sim)
    target_sources(transfer_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests/support/simulator_process_posix.cpp)
    target_include_directories(transfer_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    target_compile_definitions(transfer_bench PRIVATE ZOR_SIM_PATH="$<TARGET_FILE:zor7700-sim>")
    add_dependencies(transfer_bench zor7700-sim)
endif()
