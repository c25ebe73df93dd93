# The wizard's dialog logic, shared by the Qt and the Win32 front end and by
# the tests: every portable app/*.cpp (toolkit files end in _qt or _win32).
file(GLOB ZOR_WIZARD_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/app/*.cpp)
list(FILTER ZOR_WIZARD_SOURCES EXCLUDE REGEX "_(qt|win32|posix)\\.cpp$")
add_library(zor_wizard STATIC ${ZOR_WIZARD_SOURCES})
target_link_libraries(zor_wizard PUBLIC zor_core)
