# End-to-end runs of the transfer worker against the real simulator. On Linux
# the test starts zor7700-sim itself; the Windows build runs under wine64
# against the native simulator of the linux preset's build.
if(WIN32)
    add_executable(transfer_worker_wine_test ${CMAKE_CURRENT_SOURCE_DIR}/wine/transfer_worker_wine_test.cpp)
    target_link_libraries(transfer_worker_wine_test PRIVATE zor_test_support GTest::gtest_main)
    set(ZOR_NATIVE_SIMULATOR "${CMAKE_SOURCE_DIR}/build/linux/zor7700-sim" CACHE FILEPATH
        "zor7700-sim built for this machine, which the Wine end-to-end test drives")
    add_test(NAME transfer_worker_wine_e2e
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/wine/run_transfer_worker_wine.sh
                     $<TARGET_FILE:transfer_worker_wine_test> ${ZOR_NATIVE_SIMULATOR}
                     /usr/lib/wine/wine64 ${CMAKE_SOURCE_DIR}/build/wineprefix)
    set_tests_properties(transfer_worker_wine_e2e PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 400)
endif()
