# The installed layout (cmake --install) and the Debian package (cpack -G DEB).
#
#   bin/gruskedit, bin/gruskedit-cli
#   share/gruskedit/resource/   pictures and endroom.bin
#   share/gruskedit/d64/        stand-ins for the game's files
#   share/gruskedit/help.txt
#   share/applications/gruskedit.desktop
#   share/icons/hicolor/NxN/apps/gruskedit.png
#   share/mime/packages/gruskedit.xml   .cas and .crm
#   share/man/man1/gruskedit-cli.1
#
# The programs find share/gruskedit relative to their own folder, so the
# prefix can be anything; what the user writes goes to the user's data folder.
include(GNUInstallDirs)

set(GRUSK_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/gruskedit)
file(RELATIVE_PATH GRUSK_DATA_FROM_BIN ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}
     ${CMAKE_INSTALL_PREFIX}/${GRUSK_INSTALL_DATADIR})
set_source_files_properties(${CMAKE_SOURCE_DIR}/src/app/program_folders.cpp
  DIRECTORY ${CMAKE_SOURCE_DIR}/src
  PROPERTIES COMPILE_DEFINITIONS "GRUSK_DATA_FROM_BIN=\"${GRUSK_DATA_FROM_BIN}\"")

# Fresh stand-ins for the package: whatever the developer copied into the
# build's program folder (the game's real files) is never shipped.
add_custom_command(
  OUTPUT ${GRUSK_SHIPPED_DIR}/d64/castles.prg
  COMMAND make_d64_placeholders ${GRUSK_SHIPPED_DIR}/d64
  DEPENDS make_d64_placeholders
  COMMENT "Stand-ins for the game's files to install")
add_custom_target(shipped_placeholders ALL DEPENDS ${GRUSK_SHIPPED_DIR}/d64/castles.prg)

set(GRUSK_INSTALLED_PROGRAMS gruskedit-cli)
if(TARGET gruskedit)
  list(APPEND GRUSK_INSTALLED_PROGRAMS gruskedit)
endif()
install(TARGETS ${GRUSK_INSTALLED_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Only what the build made: test runs leave ztest00.prg, zcastle.prg and
# test00.d64 in the same folder.
install(DIRECTORY ${GRUSK_PROGRAM_DIR}/resource/ DESTINATION ${GRUSK_INSTALL_DATADIR}/resource
  FILES_MATCHING PATTERN "*.bmp" PATTERN "endroom.bin")
install(DIRECTORY ${GRUSK_SHIPPED_DIR}/d64/ DESTINATION ${GRUSK_INSTALL_DATADIR}/d64
  FILES_MATCHING PATTERN "*.prg")
install(FILES ${CMAKE_SOURCE_DIR}/data/help/help.txt DESTINATION ${GRUSK_INSTALL_DATADIR})

if(TARGET gruskedit)
  install(FILES ${CMAKE_SOURCE_DIR}/data/desktop/gruskedit.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${CMAKE_SOURCE_DIR}/data/desktop/gruskedit.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
  if(TARGET desktop_icons)
    install(DIRECTORY ${GRUSK_ICON_DIR}/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
  endif()
endif()
install(FILES ${CMAKE_SOURCE_DIR}/data/man/gruskedit-cli.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# A direct install (not into a staging folder such as the package's) tells
# the desktop about the new file types, menu entry and icons.
install(CODE [[
  if(NOT "$ENV{DESTDIR}" STREQUAL "")
    return()
  endif()
  set(share "${CMAKE_INSTALL_PREFIX}/share")
  find_program(GK_UPDATE_MIME update-mime-database)
  find_program(GK_UPDATE_DESKTOP update-desktop-database)
  find_program(GK_UPDATE_ICONS gtk-update-icon-cache)
  if(GK_UPDATE_MIME AND EXISTS "${share}/mime/packages/gruskedit.xml")
    execute_process(COMMAND "${GK_UPDATE_MIME}" "${share}/mime" OUTPUT_QUIET ERROR_QUIET)
  endif()
  if(GK_UPDATE_DESKTOP AND EXISTS "${share}/applications/gruskedit.desktop")
    execute_process(COMMAND "${GK_UPDATE_DESKTOP}" -q "${share}/applications" OUTPUT_QUIET ERROR_QUIET)
  endif()
  if(GK_UPDATE_ICONS AND EXISTS "${share}/icons/hicolor/index.theme")
    execute_process(COMMAND "${GK_UPDATE_ICONS}" -q -t "${share}/icons/hicolor" OUTPUT_QUIET ERROR_QUIET)
  endif()
]])

# The Debian package. Library dependencies come from dpkg-shlibdeps; the help
# viewer is xdg-open. Debian's desktop, MIME and icon packages update their
# caches through triggers, so the package needs no scripts of its own.
set(CPACK_PACKAGE_NAME gruskedit)
set(CPACK_PACKAGE_VENDOR "GruskEdit")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "castle editor for a Commodore 64 action game")
set(CPACK_PACKAGE_DESCRIPTION "GruskEdit draws the castles of a Commodore 64 action game: up to 64 rooms
of 40 x 25 cells with doors, walkways, ladders, machines and monsters. It
checks castles for errors, compiles them into the game's castle program,
builds D64 game disks and starts the VICE emulator on a test disk.
gruskedit-cli does the same from the command line.")
set(CPACK_PACKAGE_CONTACT "GruskEdit developers <gruskedit@example.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "vice")
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
