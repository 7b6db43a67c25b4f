# What an installation holds besides the programs (manual pages, desktop entry, icon, AppStream
# metainfo, copyright and changelog), and how CPack makes a Debian package of it
# (scripts/package).
include(GNUInstallDirs)

set(QUORVANE_APP_ID org.example.quorvane)
set(packaging ${PROJECT_SOURCE_DIR}/packaging)
set(generated ${PROJECT_BINARY_DIR}/packaging)

# Manual pages and the changelog go in compressed, as Debian keeps them: gzip -9n, so that the
# same sources give the same bytes.
find_program(QUORVANE_GZIP gzip REQUIRED)
set(compressed)
foreach(source quorvane.1 quorvane-cli.1 changelog)
  configure_file(${packaging}/${source} ${generated}/${source} @ONLY)
  add_custom_command(
    OUTPUT ${generated}/${source}.gz
    COMMAND ${QUORVANE_GZIP} -9n -c ${generated}/${source} > ${generated}/${source}.gz
    DEPENDS ${generated}/${source}
    VERBATIM)
  list(APPEND compressed ${generated}/${source}.gz)
endforeach()
add_custom_target(quorvane_documents ALL DEPENDS ${compressed})
configure_file(${packaging}/${QUORVANE_APP_ID}.metainfo.xml
               ${generated}/${QUORVANE_APP_ID}.metainfo.xml @ONLY)

install(FILES ${generated}/quorvane.1.gz ${generated}/quorvane-cli.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# A package of our own making (no Debian revision), so its changelog is changelog.gz.
install(FILES ${generated}/changelog.gz ${packaging}/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quorvane)
install(FILES ${generated}/${QUORVANE_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/src/ui/resources/quorvane.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
        RENAME ${QUORVANE_APP_ID}.desktop)
install(FILES ${PROJECT_SOURCE_DIR}/src/ui/resources/quorvane.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Quorvane developers")
set(CPACK_PACKAGE_CONTACT "The Quorvane developers <developers@quorvane.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "organiser for Dreamcast memory cards in a parallel-port card adapter")
set(CPACK_PACKAGE_DESCRIPTION
    "Reads one page (one whole 128 KB memory card) from a multi-page card\n\
adapter on the parallel port, lists its files with their icons, and lets\n\
the user delete them, add files from .ddc, .dci and .vmi/.vms files, save\n\
them, and import and export whole pages. Every change is written back to\n\
the card at once, each block read back and compared. quorvane-cli does the\n\
same from the command line.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quorvane.example.org")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_SET_DESTDIR OFF)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Debian wants no group or world write bits and directories 0755.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
