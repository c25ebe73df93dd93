# Command-line companions: the device simulator (pseudo-terminals, so not on
# Windows) and the transfer tool (both platforms).
if(NOT WIN32)
    file(GLOB ZOR_SIM_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/zor7700-sim/*.cpp)
    add_executable(zor7700-sim ${ZOR_SIM_SOURCES})
    target_link_libraries(zor7700-sim PRIVATE zor_tools_common zor_core)
endif()
