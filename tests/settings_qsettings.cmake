# The settings file must stay what Qt's QSettings reads and writes; the core
# itself never links Qt, only this check does.
if(NOT WIN32)
    find_package(Qt6 COMPONENTS Core QUIET)
    if(Qt6Core_FOUND)
        add_executable(settings_qsettings_test qsettings/settings_qsettings_test.cpp)
        target_link_libraries(settings_qsettings_test PRIVATE zor_test_support Qt6::Core GTest::gtest_main)
        add_test(NAME settings_qsettings_test COMMAND settings_qsettings_test)
    endif()
endif()
