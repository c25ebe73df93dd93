# The conversion benchmark runs the built transfer tool and GPSBabel as
# whole processes, started the way the tests start programs.
if(TARGET capture_conversion_bench AND TARGET zor7700-transfer)
    target_sources(capture_conversion_bench PRIVATE
                   ${CMAKE_SOURCE_DIR}/tests/support/simulator_process_posix.cpp
                   ${CMAKE_SOURCE_DIR}/tests/support/temp_folder.cpp)
    target_include_directories(capture_conversion_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    target_compile_definitions(capture_conversion_bench PRIVATE
                               ZOR_TRANSFER_TOOL_PATH="$<TARGET_FILE:zor7700-transfer>"
                               ZOR_SIM_PATH="$<TARGET_FILE:zor7700-sim>")
    add_dependencies(capture_conversion_bench zor7700-transfer)
endif()
