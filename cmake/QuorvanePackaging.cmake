# SPDX-License-Identifier: GPL-3.0-or-later
# What an installation holds besides the programs (manual pages, desktop entries, icons, file
# types, AppStream metainfo, copyright and changelog), and how CPack makes a Debian package of it
# (scripts/package).
include(GNUInstallDirs)

# The one name the desktop knows the program by: the desktop entry, the metainfo, the icons.
set(QUORVANE_APP_ID io.github.quorvane.quorvane)
# Who makes the package: its Maintainer and the changelog's signature (scripts/package passes the
# packager's name and address).
set(QUORVANE_MAINTAINER "The Quorvane developers" CACHE STRING
    "The package's maintainer, as \"Name <address>\"")
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
# The second entry, hidden from menus, is the one that opens a card image from a file manager.
install(FILES ${packaging}/${QUORVANE_APP_ID}.desktop ${packaging}/${QUORVANE_APP_ID}.image.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${packaging}/${QUORVANE_APP_ID}.mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME ${QUORVANE_APP_ID}.xml)
install(DIRECTORY ${packaging}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${packaging}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME quorvane)

# A stripped installation (the package's) also loses the compiler's .comment notes, as Debian's
# dh_strip does; install rules run in order, so the programs are in place by now.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    foreach(program quorvane quorvane-cli)
      execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/\${program}\"
        COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
  endif()")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Quorvane developers")
set(CPACK_PACKAGE_CONTACT "${QUORVANE_MAINTAINER}")
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
if(QUORVANE_HOMEPAGE)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${QUORVANE_HOMEPAGE}")
endif()
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_SET_DESTDIR OFF)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Debian wants no group or world write bits and directories 0755.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
