# The capture corpus (tests/data/captures): every dump converted by the
# transfer tool into each format and compared with the files beside it. The
# Windows build runs the same loop under Wine, so both builds must write the
# same bytes.
if(TARGET zor7700-transfer AND (NOT WIN32 OR CMAKE_CROSSCOMPILING_EMULATOR))
    add_test(NAME capture_corpus
             COMMAND ${CMAKE_COMMAND} -DTOOL=$<TARGET_FILE:zor7700-transfer>
                     -DCORPUS=${CMAKE_CURRENT_SOURCE_DIR}/data/captures
                     -DWORK=${CMAKE_CURRENT_BINARY_DIR}/capture_corpus
                     -DRUNNER=${CMAKE_CROSSCOMPILING_EMULATOR}
                     -P ${CMAKE_CURRENT_SOURCE_DIR}/corpus/convert_captures.cmake)
endif()
