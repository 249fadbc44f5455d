# What `make deb` ships: the program, a udev rule that lets the person logged
# in at the machine open the configured printer (no root needed), applied at
# installation, the manual page, the copyright file and the changelog.
include(GNUInstallDirs)

set(UDEV_RULE_FILE "${CMAKE_BINARY_DIR}/${UDEV_RULE_NAME}")
set(PACKAGE_DOCS share/doc/${PACKAGE_NAME})
set(PACKAGE_CONTACT "TARVELIN customer support <support@tarvelin.example>")

# One rule line, and one trigger for a printer already plugged in, per
# configured hardware ID; a build that walks the USB tree names no printer
# and so ships a rule without lines.
set(UDEV_RULES "")
set(UDEV_TRIGGERS "")
string(REPLACE "," ";" configured_ids "${TARGET_HARDWARE_ID}")
foreach(id IN LISTS configured_ids)
    if(id MATCHES "^USB\\\\VID_([0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f])&PID_([0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f])")
        string(TOLOWER "${CMAKE_MATCH_1}" vendor)
        string(TOLOWER "${CMAKE_MATCH_2}" product)
        string(APPEND UDEV_RULES "SUBSYSTEM==\"usb\", ENV{DEVTYPE}==\"usb_device\", "
               "ATTR{idVendor}==\"${vendor}\", ATTR{idProduct}==\"${product}\", "
               "TAG+=\"uaccess\"\n")
        string(APPEND UDEV_TRIGGERS "    udevadm trigger --subsystem-match=usb "
               "--attr-match=idVendor=${vendor} --attr-match=idProduct=${product} || true\n")
    endif()
endforeach()
configure_file(${CMAKE_SOURCE_DIR}/packaging/udev.rules.in ${UDEV_RULE_FILE} @ONLY)
set(POSTINST_FILE ${CMAKE_BINARY_DIR}/package-scripts/postinst)
configure_file(${CMAKE_SOURCE_DIR}/packaging/postinst.in ${POSTINST_FILE} @ONLY)

# The manual page, beside the program (man ./fwupdater.1) and in the package.
configure_file(${CMAKE_SOURCE_DIR}/packaging/fwupdater.1.in ${CMAKE_BINARY_DIR}/fwupdater.1 @ONLY)

# Compressed as Debian wants them: the best compression, no name or time
# stamp inside, so two builds give the same bytes.
function(gzip_for_package target source compressed)
    add_custom_command(OUTPUT ${compressed}
                       COMMAND gzip -9n -c ${source} > ${compressed}
                       DEPENDS ${source} VERBATIM)
    add_custom_target(${target} ALL DEPENDS ${compressed})
endfunction()
gzip_for_package(manual_page ${CMAKE_BINARY_DIR}/fwupdater.1 ${CMAKE_BINARY_DIR}/fwupdater.1.gz)
gzip_for_package(changelog ${CMAKE_SOURCE_DIR}/packaging/changelog
                 ${CMAKE_BINARY_DIR}/changelog.gz)

install(TARGETS fwupdater RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${UDEV_RULE_FILE} DESTINATION lib/udev/rules.d)
install(FILES ${CMAKE_BINARY_DIR}/fwupdater.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${CMAKE_BINARY_DIR}/changelog.gz
        DESTINATION ${PACKAGE_DOCS})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${FWUPDATER_VERSION})
set(CPACK_PACKAGE_CONTACT ${PACKAGE_CONTACT})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${PACKAGE_CONTACT})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "firmware updater for the TARVELIN chromalux 4410N printer")
# One line each, under 80 columns: CPack indents them as the control file wants.
set(CPACK_PACKAGE_DESCRIPTION "Updates the firmware of the TARVELIN chromalux 4410N USB printer
from a terminal. The firmware travels inside the program, which shows the
license agreement first. A udev rule lets the person logged in at the
machine reach the printer.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libusb-1.0-0 (>= 2:1.0.26), libc6 (>= 2.34), libstdc++6 (>= 12), libgcc-s1")
# The agreement is paged through sensible-pager where there is one.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS sensible-utils)
# No postrm: udev notices a rule file gone by itself, and with no script left
# to run, dpkg keeps nothing of the package once it is removed.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${POSTINST_FILE})
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
