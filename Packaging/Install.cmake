# Installing the game the way a Linux distribution installs its games, and
# packaging it as a .deb (make install, make uninstall, make package).
#
# One application id names the desktop entry, the AppStream metainfo, the
# icons and the MIME package.

include(GNUInstallDirs)

set(BRIMHOLD_APP_ID org.brimhold.Brimhold)
set(BRIMHOLD_PACKAGING ${CMAKE_SOURCE_DIR}/Packaging)
string(TIMESTAMP BRIMHOLD_RELEASE_DATE "%Y-%m-%d" UTC)
set(BRIMHOLD_ICON_SIZES 16 24 32 48 64 128 256 512)

set_property(SOURCE ${CMAKE_SOURCE_DIR}/Source/Shell/CommandLine.cpp APPEND PROPERTY
  COMPILE_DEFINITIONS BRIMHOLD_VERSION="${PROJECT_VERSION}")

# The icon at every size, drawn from the game's own emblem by the texture tool.
set(BRIMHOLD_ICON_FOLDER ${CMAKE_BINARY_DIR}/Icons)
set(icon_outputs)
foreach(size ${BRIMHOLD_ICON_SIZES})
  list(APPEND icon_outputs ${BRIMHOLD_ICON_FOLDER}/icon-${size}.png)
endforeach()
add_custom_command(
  OUTPUT ${icon_outputs}
  COMMAND TextureMaker --icons ${BRIMHOLD_ICON_FOLDER}
  DEPENDS TextureMaker
  COMMENT "Drawing the application icons"
  VERBATIM)
add_custom_target(icons ALL DEPENDS ${icon_outputs})

configure_file(${BRIMHOLD_PACKAGING}/${BRIMHOLD_APP_ID}.metainfo.xml.in
  ${CMAKE_BINARY_DIR}/Packaging/${BRIMHOLD_APP_ID}.metainfo.xml @ONLY)
configure_file(${BRIMHOLD_PACKAGING}/brimhold.6 ${CMAKE_BINARY_DIR}/Packaging/brimhold.6 @ONLY)

# The game and what it loads.  It finds share/brimhold from its own place, so
# the prefix can move.
install(TARGETS brimhold RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${CMAKE_BINARY_DIR}/Resources/Models ${CMAKE_BINARY_DIR}/Resources/Textures
  ${CMAKE_BINARY_DIR}/Resources/Sounds DESTINATION ${CMAKE_INSTALL_DATADIR}/brimhold)
# The standard level sets, without the replays and texts they are made from.
install(DIRECTORY ${CMAKE_BINARY_DIR}/Resources/Levels DESTINATION ${CMAKE_INSTALL_DATADIR}/brimhold
  PATTERN "Replays" EXCLUDE PATTERN "*.txt" EXCLUDE PATTERN "*.md" EXCLUDE)
install(FILES ${CMAKE_BINARY_DIR}/Resources/MainMenu DESTINATION ${CMAKE_INSTALL_DATADIR}/brimhold)

# Desktop integration.
install(FILES ${BRIMHOLD_PACKAGING}/${BRIMHOLD_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/Packaging/${BRIMHOLD_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${BRIMHOLD_PACKAGING}/${BRIMHOLD_APP_ID}.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
foreach(size ${BRIMHOLD_ICON_SIZES})
  install(FILES ${BRIMHOLD_ICON_FOLDER}/icon-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME ${BRIMHOLD_APP_ID}.png)
endforeach()
install(FILES ${CMAKE_BINARY_DIR}/Packaging/brimhold.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

# make uninstall removes what the last install wrote.
add_custom_target(uninstall
  COMMAND ${CMAKE_COMMAND} -P ${BRIMHOLD_PACKAGING}/Uninstall.cmake
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  COMMENT "Removing the installed files"
  VERBATIM)

# The Debian package.  Its library dependencies are computed from what the
# executable links (dpkg-shlibdeps); the font and the software renderer are
# what it loads at run time.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brimhold)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Brimhold developers")
set(CPACK_PACKAGE_CONTACT "The Brimhold developers <games@brimhold.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "3D action-puzzle game with rising water, and its level editor")
set(CPACK_PACKAGE_DESCRIPTION "Walk, run, jump and climb ladders through levels of cubic blocks while\n\
water rises from below. Keys, switches, teleports, phasing and vanishing blocks\n\
make the puzzles; a built-in level editor makes new level sets.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core, libgl1-mesa-dri")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://brimhold.org/")
set(CPACK_STRIP_FILES ON)
include(CPack)

# Checks of an install into the build folder (make test).
if(BRIMHOLD_TESTS)
  add_test(NAME Install.Setup COMMAND ${CMAKE_SOURCE_DIR}/Tests/InstallTests.sh ${CMAKE_BINARY_DIR} install)
  set_tests_properties(Install.Setup PROPERTIES FIXTURES_SETUP installed)
  foreach(case files desktop metainfo command-line start bad-file mime)
    add_test(NAME Install.${case} COMMAND ${CMAKE_SOURCE_DIR}/Tests/InstallTests.sh ${CMAKE_BINARY_DIR} ${case})
    set_tests_properties(Install.${case} PROPERTIES FIXTURES_REQUIRED installed TIMEOUT 120)
  endforeach()
endif()
