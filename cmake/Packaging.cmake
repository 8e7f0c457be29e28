# The Debian package (scripts/package.sh runs cpack -G DEB): the programs live in /usr/lib/posling
# beside test.bmp (src/CMakeLists.txt), with links in /usr/bin; here the desktop files, the manual
# pages, the documents and the udev rule.
include(GNUInstallDirs)

set(POSLING_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(POSLING_APP_ID com.tarvo.posling)
set(packaging_out ${PROJECT_BINARY_DIR}/packaging)

# Relative links, so the tree works under any prefix; the program still finds test.bmp because
# Qt resolves the link for applicationDirPath().
file(MAKE_DIRECTORY ${packaging_out}/bin)
foreach(program posling posling-virtual-printer)
    file(CREATE_LINK ../${POSLING_INSTALL_PROGRAMDIR}/${program} ${packaging_out}/bin/${program} SYMBOLIC)
    install(FILES ${packaging_out}/bin/${program} DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()

configure_file(${POSLING_PACKAGING_DIR}/${POSLING_APP_ID}.desktop.in ${packaging_out}/${POSLING_APP_ID}.desktop
               @ONLY)
configure_file(${POSLING_PACKAGING_DIR}/${POSLING_APP_ID}.metainfo.xml.in
               ${packaging_out}/${POSLING_APP_ID}.metainfo.xml @ONLY)
install(FILES ${packaging_out}/${POSLING_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${packaging_out}/${POSLING_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${POSLING_PACKAGING_DIR}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

# Debian wants manual pages and the changelog compressed with gzip -9n (no name, no time stamp).
set(compressed)
foreach(text posling.1 posling-virtual-printer.1 changelog)
    set(source ${POSLING_PACKAGING_DIR}/${text})
    if(EXISTS ${source}.in)
        set(source ${source}.in)
    endif()
    configure_file(${source} ${packaging_out}/${text} @ONLY)
    add_custom_command(OUTPUT ${packaging_out}/${text}.gz
                       COMMAND gzip -9nkf ${text}
                       DEPENDS ${packaging_out}/${text}
                       WORKING_DIRECTORY ${packaging_out}
                       VERBATIM)
    list(APPEND compressed ${packaging_out}/${text}.gz)
endforeach()
add_custom_target(posling-package-files ALL DEPENDS ${compressed})
install(FILES ${packaging_out}/posling.1.gz ${packaging_out}/posling-virtual-printer.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(docdir ${CMAKE_INSTALL_DATADIR}/doc/posling)
install(FILES ${POSLING_PACKAGING_DIR}/copyright ${packaging_out}/changelog.gz DESTINATION ${docdir})
install(FILES ${POSLING_PACKAGING_DIR}/devices.ini DESTINATION ${docdir}/examples)
file(GLOB example_plans CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/examples/*.plan)
install(FILES ${example_plans} DESTINATION ${docdir}/examples)
install(FILES ${POSLING_PACKAGING_DIR}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME posling)
# A conffile: the administrator may edit or empty it, and dpkg keeps the edit.
set(udev_rule 70-posling-usb-printers.rules)
install(FILES ${POSLING_PACKAGING_DIR}/${udev_rule} DESTINATION /etc/udev/rules.d)
file(WRITE ${packaging_out}/conffiles "/etc/udev/rules.d/${udev_rule}\n")

set(CPACK_PACKAGE_NAME posling)
set(CPACK_PACKAGE_VERSION ${POSLING_VERSION_TEXT})
set(CPACK_PACKAGE_VENDOR Tarvo)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Posling")
set(CPACK_PACKAGE_DESCRIPTION
    "Checks that a POS receipt printer and its cash drawer work: open, claim and
enable the printer, print text, bar codes and bitmaps, cut, kick the drawer,
and see every result code and event in one status list. Talks ESC/POS to
network, USB and serial printers, and has a virtual printer built in.")
set(CPACK_PACKAGE_CONTACT "Posling maintainers <posling@example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so dpkg-shlibdeps cannot see them: the X11 platform plugin, and the font the
# virtual printer draws its characters with.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xvfb")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${packaging_out}/conffiles ${POSLING_PACKAGING_DIR}/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
