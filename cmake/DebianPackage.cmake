# The Debian package: quorvel_<version>_amd64.deb with the three programs, the menu entry, the
# icon, the manual pages, the copyright file and the changelog, made by
# "cmake --build build --target package". Its dependencies are computed from the programs by
# dpkg-shlibdeps, plus the Qt platform plugins, which the window loads at run time.
include(GNUInstallDirs)

set(quorvel_programs quorvel-cli quorvel-sim)
if(TARGET quorvel)
    list(PREPEND quorvel_programs quorvel)
endif()
install(TARGETS ${quorvel_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(quorvel_linux ${PROJECT_SOURCE_DIR}/packaging/linux)
set(quorvel_docdir ${CMAKE_INSTALL_DATADIR}/doc/quorvel)
install(FILES ${quorvel_linux}/quorvel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${quorvel_linux}/icons/quorvel.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# PNG renderings of quorvel.svg for desktops that show no SVG (rsvg-convert -w N -h N).
foreach(size IN ITEMS 16 32 48 128 256)
    install(FILES ${quorvel_linux}/icons/quorvel-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME quorvel.png)
endforeach()
install(FILES ${quorvel_linux}/copyright DESTINATION ${quorvel_docdir})

# Debian keeps manual pages and changelogs compressed, without time stamps in the gzip header so
# that the package is the same from one build to the next.
function(quorvel_gzip source target)
    add_custom_command(OUTPUT ${target}
                       COMMAND gzip -9nc ${source} > ${target}
                       DEPENDS ${source} VERBATIM)
endfunction()

set(quorvel_gzipped)
foreach(page IN ITEMS quorvel quorvel-cli quorvel-sim)
    set(page_source ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.1)
    configure_file(${quorvel_linux}/man/${page}.1.in ${page_source} @ONLY)
    quorvel_gzip(${page_source} ${page_source}.gz)
    list(APPEND quorvel_gzipped ${page_source}.gz)
    install(FILES ${page_source}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# The changelog's newest entry must name the version being packaged.
file(STRINGS ${quorvel_linux}/changelog newest_entry LIMIT_COUNT 1)
if(NOT newest_entry MATCHES "^quorvel \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "packaging/linux/changelog: the newest entry is not version "
                        "${PROJECT_VERSION}: ${newest_entry}")
endif()
set(changelog_gz ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
quorvel_gzip(${quorvel_linux}/changelog ${changelog_gz})
list(APPEND quorvel_gzipped ${changelog_gz})
install(FILES ${changelog_gz} DESTINATION ${quorvel_docdir})
add_custom_target(quorvel_package_files ALL DEPENDS ${quorvel_gzipped})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvel)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "exchange files with a radio-modem device over TFTP")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Quorvel is a small desktop tool for service technicians: one window with\n"
    "which files are exchanged with a radio-modem device over TFTP, on an IPv4\n"
    "network or as the same raw packets on an RS232 line at 115200 baud. Its\n"
    "actions put and get files, update the device's firmware, read the device's\n"
    "event logger into a CSV file and wake a device on the serial line into its\n"
    "file-transfer mode.\n"
    "\n"
    "The package also holds quorvel-cli, which runs the same actions from a shell\n"
    "or a script, and quorvel-sim, a simulated device for trying Quorvel without\n"
    "hardware.")
string(REPLACE ";" "" CPACK_DEBIAN_PACKAGE_DESCRIPTION "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER
    "Quorvel maintainers <maintainers@users.noreply.c-seed-73487fbb.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
