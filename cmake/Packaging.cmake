# Install layout and the Debian package. Included only for builds with the
# window.
include(GNUInstallDirs)

install(TARGETS zestrel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/data/example.vorteq.zestrel.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/zestrel.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
configure_file(${PROJECT_SOURCE_DIR}/data/example.vorteq.zestrel.metainfo.xml.in
    ${PROJECT_BINARY_DIR}/data/example.vorteq.zestrel.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/data/example.vorteq.zestrel.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zestrel)
set(CPACK_PACKAGE_VENDOR VORTEQ)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Generator of PHP scripts that handle a submitted HTML form")
set(CPACK_PACKAGE_DESCRIPTION
    "Lists an HTML form's field names and what the script must do with the posted values,\n"
    "then writes the PHP script: MySQL connection, mail, insert, display and table maintenance.")
set(CPACK_PACKAGE_CONTACT "VORTEQ <support@vorteq.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${ZESTREL_SITE_URL}")
# Libraries the program links are found by dpkg-shlibdeps; plugins Qt loads
# at run time (the SVG icon engine) are not, nor is the narrow font the window is laid out for, so
# they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, fonts-urw-base35")
include(CPack)
