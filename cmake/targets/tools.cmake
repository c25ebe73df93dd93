# Command-line companions: the device simulator (pseudo-terminals, so not on
# Windows) and the transfer tool (both platforms).
if(NOT WIN32)
    # Everything but main() in a library, so the tests reach the pieces.
    file(GLOB ZOR_SIM_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/zor7700-sim/*.cpp)
    list(FILTER ZOR_SIM_SOURCES EXCLUDE REGEX "/main\\.cpp$")
    add_library(zor_sim STATIC ${ZOR_SIM_SOURCES})
    target_include_directories(zor_sim PUBLIC ${CMAKE_SOURCE_DIR}/tools/zor7700-sim)
    target_link_libraries(zor_sim PUBLIC zor_tools_common zor_core)
    add_executable(zor7700-sim ${CMAKE_SOURCE_DIR}/tools/zor7700-sim/main.cpp)
    target_link_libraries(zor7700-sim PRIVATE zor_sim)
endif()

# The transfer without a window: the same TransferWorker, assembler, dump
# handler and writers as the wizard, and the wizard's error texts. All but
# main() in a library, so the tests can run the tool in-process.
file(GLOB ZOR_TRANSFER_TOOL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/zor7700-transfer/*.cpp)
list(FILTER ZOR_TRANSFER_TOOL_SOURCES EXCLUDE REGEX "_${ZOR_OTHER_PLATFORM}\\.cpp$")
list(FILTER ZOR_TRANSFER_TOOL_SOURCES EXCLUDE REGEX "/main_${ZOR_PLATFORM}\\.cpp$")
add_library(zor_transfer_tool STATIC ${ZOR_TRANSFER_TOOL_SOURCES})
target_include_directories(zor_transfer_tool PUBLIC ${CMAKE_SOURCE_DIR}/tools/zor7700-transfer)
target_link_libraries(zor_transfer_tool PUBLIC zor_wizard zor_tools_common zor_core)
add_executable(zor7700-transfer ${CMAKE_SOURCE_DIR}/tools/zor7700-transfer/main_${ZOR_PLATFORM}.cpp)
target_link_libraries(zor7700-transfer PRIVATE zor_transfer_tool)
