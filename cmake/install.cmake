# What `cmake --install` puts on a Linux system, and `cpack -G DEB` packs as
# zor7700track_<version>_<arch>.deb: the three programs, the desktop entry,
# the icon in the theme's sizes, manual pages, and the licence and changelog
# where Debian looks for them. scripts/build-package.sh drives the package.
if(WIN32 OR NOT TARGET zor7700track)
    return()
endif()
include(GNUInstallDirs)
set(ZOR_PACKAGE zor7700track)
set(ZOR_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/${ZOR_PACKAGE})
set(ZOR_MAN_DIR ${CMAKE_BINARY_DIR}/man)
set(ZOR_CHANGELOG ${CMAKE_SOURCE_DIR}/resources/debian/changelog)

install(TARGETS zor7700track zor7700-transfer zor7700-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES resources/zor7700track.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 24 32 48 64 128 256)
    set(icon resources/icons/zor7700track-${size}.png)
    if(size EQUAL 256)
        set(icon resources/zor7700track.png)
    endif()
    install(FILES ${icon} RENAME zor7700track.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# The release date is the changelog's latest entry, so manual pages and the
# package come out the same on every build of one version.
file(STRINGS ${ZOR_CHANGELOG} ZOR_TRAILER REGEX "^ -- " LIMIT_COUNT 1)
string(REGEX REPLACE "^.*>  " "" ZOR_RELEASE_DATE "${ZOR_TRAILER}")
execute_process(COMMAND date -u -d "${ZOR_RELEASE_DATE}" +%s
                OUTPUT_VARIABLE ZOR_RELEASE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND date -u -d "${ZOR_RELEASE_DATE}" "+%B %Y"
                OUTPUT_VARIABLE ZOR_RELEASE_MONTH OUTPUT_STRIP_TRAILING_WHITESPACE)

# Debian wants manual pages and the changelog compressed with gzip -9n (no
# name, no time inside), which keeps the package the same on every build.
function(zor_gzip file)
    add_custom_command(OUTPUT ${file}.gz COMMAND gzip -9nkf ${file} DEPENDS ${file} VERBATIM)
endfunction()

# The tools' manual pages come from their --help, the wizard's is written by hand.
configure_file(docs/man/zor7700track.1.in ${ZOR_MAN_DIR}/zor7700track.1 @ONLY)
zor_gzip(${ZOR_MAN_DIR}/zor7700track.1)
set(ZOR_MAN_PAGES ${ZOR_MAN_DIR}/zor7700track.1.gz)
find_program(ZOR_HELP2MAN help2man)
set(ZOR_TOOL_SUMMARY_zor7700-transfer "read the track log of a ZOR 7700 GPS logger into KML, NMEA or GPX")
set(ZOR_TOOL_SUMMARY_zor7700-sim "a simulated ZOR 7700 GPS logger or LOCUS GPS module on a pseudo-terminal")
foreach(tool zor7700-transfer zor7700-sim)
    if(NOT ZOR_HELP2MAN)
        message(STATUS "help2man not found: no manual page for ${tool}")
        continue()
    endif()
    add_custom_command(OUTPUT ${ZOR_MAN_DIR}/${tool}.1
        COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${ZOR_RELEASE_EPOCH}
                ${ZOR_HELP2MAN} --no-info --version-string=${PROJECT_VERSION}
                "--name=${ZOR_TOOL_SUMMARY_${tool}}"
                --include=${CMAKE_SOURCE_DIR}/docs/man/${tool}.h2m
                --output=${ZOR_MAN_DIR}/${tool}.1 $<TARGET_FILE:${tool}>
        DEPENDS ${tool} ${CMAKE_SOURCE_DIR}/docs/man/${tool}.h2m
        VERBATIM)
    zor_gzip(${ZOR_MAN_DIR}/${tool}.1)
    list(APPEND ZOR_MAN_PAGES ${ZOR_MAN_DIR}/${tool}.1.gz)
endforeach()
add_custom_target(man_pages ALL DEPENDS ${ZOR_MAN_PAGES})
install(FILES ${ZOR_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The licence in Debian's machine-readable form, from LICENSE: the text after
# the copyright line, indented one space, blank lines as " .".
file(READ LICENSE ZOR_LICENSE_TEXT)
string(REGEX REPLACE "^.*\nCopyright [^\n]*\n" "" ZOR_LICENSE_TEXT "${ZOR_LICENSE_TEXT}")
string(STRIP "${ZOR_LICENSE_TEXT}" ZOR_LICENSE_TEXT)
string(REPLACE "\n\n" "\n.\n" ZOR_LICENSE_TEXT "${ZOR_LICENSE_TEXT}")
string(REPLACE "\n" "\n " ZOR_LICENSE_TEXT " ${ZOR_LICENSE_TEXT}")
configure_file(resources/debian/copyright.in ${CMAKE_BINARY_DIR}/debian/copyright @ONLY)
configure_file(${ZOR_CHANGELOG} ${CMAKE_BINARY_DIR}/debian/changelog COPYONLY)
zor_gzip(${CMAKE_BINARY_DIR}/debian/changelog)
add_custom_target(debian_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/debian/copyright ${CMAKE_BINARY_DIR}/debian/changelog.gz
        DESTINATION ${ZOR_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${ZOR_PACKAGE})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
    GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
string(REGEX REPLACE "^ -- ([^>]*>).*$" "\\1" CPACK_PACKAGE_CONTACT "${ZOR_TRAILER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "download the track log of a ZOR 7700 GPS logger")
set(CPACK_PACKAGE_DESCRIPTION [[
ZOR7700Track reads the stored track log out of a ZOR 7700 handheld GPS
logger over its Bluetooth serial port and writes it as a KML document (one
coloured line per trip, for earth browsers), as NMEA text or as GPX (for
map, photo and fitness tools). The package holds the wizard
(zor7700track), the same transfer for scripts and terminals
(zor7700-transfer) and a simulated logger for trying both without a device
(zor7700-sim).]])
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt finds its display plugin at run time, so no library dependency names it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
include(CPack)
