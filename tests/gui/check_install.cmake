# Installs the build into a scratch prefix and checks that the programs, the
# desktop entry, the icons, manual pages and licence land where a Linux
# desktop, man and Debian look for them.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
foreach(path bin/zor7700track bin/zor7700-transfer bin/zor7700-sim
             share/applications/zor7700track.desktop
             share/icons/hicolor/16x16/apps/zor7700track.png
             share/icons/hicolor/256x256/apps/zor7700track.png
             share/man/man1/zor7700track.1.gz share/man/man1/zor7700-transfer.1.gz
             share/doc/zor7700track/copyright share/doc/zor7700track/changelog.gz)
    if(NOT EXISTS "${PREFIX}/${path}")
        message(FATAL_ERROR "not installed: ${path}")
    endif()
endforeach()
file(READ "${PREFIX}/share/applications/zor7700track.desktop" entry)
foreach(line "Exec=zor7700track" "Icon=zor7700track" "Type=Application")
    string(FIND "${entry}" "${line}" found)
    if(found EQUAL -1)
        message(FATAL_ERROR "desktop entry lacks ${line}")
    endif()
endforeach()
file(REMOVE_RECURSE "${PREFIX}")
