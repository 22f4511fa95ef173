# Installing the game as Linux desktops expect it, and packaging it as a .deb.
# The executable and its wave files share one program folder; a launcher in
# bin/, a desktop entry, icons of every usual size and AppStream metainfo
# make it a desktop application.
include(GNUInstallDirs)

set(TUMBRIX_APP_ID org.tumbrix.Tumbrix)
set(TUMBRIX_PROGRAM_DIR lib/tumbrix)
set(TUMBRIX_HOMEPAGE "https://tumbrix.example.org" CACHE STRING
    "Where the game is published: the metainfo's homepage and screenshots")
set(TUMBRIX_ICON_SIZES 16 22 24 32 48 64 128 256)

install(TARGETS tumbrix RUNTIME DESTINATION ${TUMBRIX_PROGRAM_DIR})
install(FILES ${TUMBRIX_WAVE_FILES} DESTINATION ${TUMBRIX_PROGRAM_DIR})
# Tells the game that it was installed: it keeps its scores in the user's
# data folder, never beside the program.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/installed-copy DESTINATION ${TUMBRIX_PROGRAM_DIR}
        RENAME tumbrix.installed)
# bin/tumbrix links to the program, which finds its sounds beside itself.
install(CODE "
    set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(MAKE_DIRECTORY \"\${bin}\")
    file(CREATE_LINK ../${TUMBRIX_PROGRAM_DIR}/tumbrix \"\${bin}/tumbrix\" SYMBOLIC)
")

install(FILES ${CMAKE_CURRENT_LIST_DIR}/${TUMBRIX_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${CMAKE_CURRENT_LIST_DIR}/${TUMBRIX_APP_ID}.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/packaging/${TUMBRIX_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/${TUMBRIX_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(TUMBRIX_ICON_SVG ${CMAKE_SOURCE_DIR}/src/platform/assets/icon.svg)
set(TUMBRIX_ICON_THEME ${CMAKE_BINARY_DIR}/packaging/hicolor)
set(TUMBRIX_ICON_PNGS "")
foreach(size IN LISTS TUMBRIX_ICON_SIZES)
    list(APPEND TUMBRIX_ICON_PNGS ${TUMBRIX_ICON_THEME}/${size}x${size}/apps/${TUMBRIX_APP_ID}.png)
endforeach()
add_custom_command(
    OUTPUT ${TUMBRIX_ICON_PNGS}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
            $<TARGET_FILE:iconrender> ${TUMBRIX_ICON_SVG} ${TUMBRIX_ICON_THEME} ${TUMBRIX_APP_ID}
            ${TUMBRIX_ICON_SIZES}
    DEPENDS iconrender ${TUMBRIX_ICON_SVG}
    COMMENT "Rendering the icon's PNG sizes"
    VERBATIM
)
add_custom_target(tumbrix_icons ALL DEPENDS ${TUMBRIX_ICON_PNGS})
install(DIRECTORY ${TUMBRIX_ICON_THEME} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${TUMBRIX_ICON_SVG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${TUMBRIX_APP_ID}.svg)

# cpack -G DEB: a package that apt-get installs with everything it needs.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tumbrix)
set(CPACK_PACKAGE_VENDOR "The Tumbrix developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "arcade game: steer your ball through the gaps of the rising bars")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Three bars rise from the bottom of the window, each with one gap. Roll your\n"
    "ball so that it drops through the gaps: a ball that a bar carries past the\n"
    "top is crushed. One or two players, Snail and Ghost bonuses, wraparound,\n"
    "a hall of fame, music and sound effects.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Tumbrix developers <developers@tumbrix.example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${TUMBRIX_HOMEPAGE})
# The libraries come from the executable itself; the window system plugin and
# the fonts the windows are drawn with are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-comic-neue, fonts-liberation2, fonts-texgyre")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
include(CPack)
