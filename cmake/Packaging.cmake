# Installation and the Debian package (cpack -G DEB in the build folder).
#
# The program lives in one folder, /usr/lib/kalvero: the desktop program, the CLI, the shared
# library, the simulated drivers, the sample plug-in under plugins/, the help book and the icon the
# per-user file-type registration copies. The program finds all of them beside itself (its folder
# is where its file really is), so /usr/bin holds only links to the two programs. The desktop
# entry, the experiment file type and the icons go where the desktop looks for them; dpkg's
# triggers of shared-mime-info and desktop-file-utils bring the caches up to date.

set(KALVERO_INSTALL_DIR lib/kalvero)

set_target_properties(kalvero kalvero-cli PROPERTIES INSTALL_RPATH "$ORIGIN")
set_target_properties(kinetics PROPERTIES INSTALL_RPATH "$ORIGIN/..")
install(TARGETS kalvero kalvero-cli RUNTIME DESTINATION ${KALVERO_INSTALL_DIR})
install(TARGETS KalveroPlugin LIBRARY DESTINATION ${KALVERO_INSTALL_DIR} NAMELINK_SKIP)
install(TARGETS kalvero_sim_unidriver kalvero_sim_portio LIBRARY DESTINATION ${KALVERO_INSTALL_DIR})
install(TARGETS kinetics LIBRARY DESTINATION ${KALVERO_INSTALL_DIR}/plugins)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/kalvero.svg DESTINATION ${KALVERO_INSTALL_DIR})
# The help books: docs/help is laid out as the program's folder (Kalvero/, plugins/Kinetics/).
install(DIRECTORY ${KALVERO_HELP_DIR}/ DESTINATION ${KALVERO_INSTALL_DIR})

# /usr/bin/kalvero → ../lib/kalvero/kalvero, and the same for the CLI.
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/install-links)
foreach(program kalvero kalvero-cli)
    file(CREATE_LINK ../${KALVERO_INSTALL_DIR}/${program} ${CMAKE_BINARY_DIR}/install-links/${program} SYMBOLIC)
    install(FILES ${CMAKE_BINARY_DIR}/install-links/${program} DESTINATION bin)
endforeach()

install(FILES ${PROJECT_SOURCE_DIR}/packaging/kalvero.desktop DESTINATION share/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/kalvero.xml DESTINATION share/mime/packages)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/kalvero.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/kalvero.svg DESTINATION share/icons/hicolor/scalable/mimetypes
        RENAME application-x-kalvero-dsc.svg)
# The shipped settings, tables and reference substances are compiled into the library (a first
# start writes them out); their texts, and the sample heating programs, come along to be read.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/defaults/ DESTINATION share/kalvero/defaults)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/samples/ DESTINATION share/kalvero/samples)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION share/doc/kalvero)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kalvero)
set(CPACK_PACKAGE_VENDOR "Kalvero")
set(CPACK_PACKAGE_CONTACT "Kalvero developers <kalvero@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Workstation software of a differential scanning calorimeter")
set(CPACK_PACKAGE_DESCRIPTION "Records the sample temperature and the differential temperature of a\n\
heating program on the measuring cell and processes the curves: smoothing, derivatives, base\n\
lines and peaks, heats through a heat calibration, onset temperatures, calibration tables.\n\
Includes the command-line tools, a simulated converter and a sample kinetics plug-in.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/lib)
# What the libraries do not tell: the toolkit's platform plug-ins (the window system), the
# desktop's opener, the fonts of printed and exported pictures, and the file-type tools.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, xdg-utils, fonts-liberation2, shared-mime-info, desktop-file-utils")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
include(CPack)
