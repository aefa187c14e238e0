# What `cmake --install` puts in place, and the Debian package CPack makes of it. One reverse-DNS
# id names the desktop entry, the AppStream metadata and the icon.
include(GNUInstallDirs)
# The documents go under share/doc/platewell, the package's name, not the project's.
set(CMAKE_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/platewell)

set(PLATEWELL_ID org.platewell.Platewell)

install(TARGETS platewell RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/data/${PLATEWELL_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

configure_file(${PROJECT_SOURCE_DIR}/data/${PLATEWELL_ID}.metainfo.xml.in
    ${CMAKE_BINARY_DIR}/${PLATEWELL_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/${PLATEWELL_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The icon: the drawing itself, and PNGs made from it for desktops that want pixels.
install(FILES ${PROJECT_SOURCE_DIR}/data/icons/${PLATEWELL_ID}.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
set(icon_files)
foreach(size 48 64 128 256)
    set(icon ${CMAKE_BINARY_DIR}/icons/${size}/${PLATEWELL_ID}.png)
    add_custom_command(OUTPUT ${icon}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}
        COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${icon} ${PROJECT_SOURCE_DIR}/data/icons/${PLATEWELL_ID}.svg
        DEPENDS ${PROJECT_SOURCE_DIR}/data/icons/${PLATEWELL_ID}.svg
        VERBATIM)
    list(APPEND icon_files ${icon})
    install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(platewell_icons ALL DEPENDS ${icon_files})

# The manual page, compressed as Debian wants it.
configure_file(${PROJECT_SOURCE_DIR}/docs/platewell.1.in ${CMAKE_BINARY_DIR}/platewell.1 @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/platewell.1.gz
    COMMAND gzip -9 -n -c ${CMAKE_BINARY_DIR}/platewell.1 > ${CMAKE_BINARY_DIR}/platewell.1.gz
    DEPENDS ${CMAKE_BINARY_DIR}/platewell.1
    VERBATIM)
add_custom_target(platewell_manpage ALL DEPENDS ${CMAKE_BINARY_DIR}/platewell.1.gz)
install(FILES ${CMAKE_BINARY_DIR}/platewell.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The user manual and the nutritive value table, as the program writes them at build time.
install(FILES "${CMAKE_BINARY_DIR}/documents/PWmanual.pdf" "${CMAKE_BINARY_DIR}/documents/Nutritive Value of Foods.pdf"
    DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${PROJECT_SOURCE_DIR}/docs/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/changelog.gz
    COMMAND gzip -9 -n -c ${PROJECT_SOURCE_DIR}/docs/changelog > ${CMAKE_BINARY_DIR}/changelog.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/docs/changelog
    VERBATIM)
add_custom_target(platewell_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME platewell)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Platewell Project")
set(CPACK_PACKAGE_CONTACT "Platewell Project <packages@platewell.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "meal planner that adds up the nutrients of planned meals")
set(CPACK_PACKAGE_DESCRIPTION
    "Platewell plans the day's meals from a table of nearly 8,000 real foods\n"
    "and adds up nine nutrient totals (calories, carbohydrates, fat, sugar,\n"
    "cholesterol, points, fiber, sugar alcohols and net carbs) for the plan on\n"
    "screen and for saved plans of chosen periods. It has a searchable food\n"
    "list, keyboard planning with undo, a sortable grid of the whole food table\n"
    "and a food editor.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Platewell Project <packages@platewell.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://platewell.org)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The icon is drawn by the SVG icon engine, a plugin that no library dependency shows. The food
# table goes through SQLite's own library, or libpq for one on a PostgreSQL server, which the
# library dependencies name.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
# The manual and the nutritive value table are PDF documents that open in the desktop's viewer,
# started through xdg-open; any PDF viewer will do, the first one named being a common one.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, evince | okular | atril | qpdfview | mupdf | pdf-viewer")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
include(CPack)
