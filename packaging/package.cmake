# What `make deb` ships: the program and a udev rule that lets the person
# logged in at the machine open the configured printer (no root needed).
include(GNUInstallDirs)

set(UDEV_RULE_FILE "${CMAKE_BINARY_DIR}/${UDEV_RULE_NAME}")

# One rule line per configured hardware ID; a build that walks the USB tree
# names no printer and so ships a rule without lines.
set(UDEV_RULES "")
string(REPLACE "," ";" configured_ids "${TARGET_HARDWARE_ID}")
foreach(id IN LISTS configured_ids)
    if(id MATCHES "^USB\\\\VID_([0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f])&PID_([0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f])")
        string(TOLOWER "${CMAKE_MATCH_1}" vendor)
        string(TOLOWER "${CMAKE_MATCH_2}" product)
        string(APPEND UDEV_RULES "SUBSYSTEM==\"usb\", ENV{DEVTYPE}==\"usb_device\", "
               "ATTR{idVendor}==\"${vendor}\", ATTR{idProduct}==\"${product}\", "
               "TAG+=\"uaccess\"\n")
    endif()
endforeach()
configure_file(${CMAKE_SOURCE_DIR}/packaging/udev.rules.in ${UDEV_RULE_FILE} @ONLY)

install(TARGETS fwupdater RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${UDEV_RULE_FILE} DESTINATION lib/udev/rules.d)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION 1.0.0)
set(CPACK_PACKAGE_CONTACT "TARVELIN customer support")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "firmware updater for the TARVELIN chromalux 4410N printer")
set(CPACK_PACKAGE_DESCRIPTION "Updates the firmware of the TARVELIN chromalux 4410N USB printer \
from a terminal. The firmware travels inside the program. A udev rule lets the person logged in \
at the machine reach the printer.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libusb-1.0-0 (>= 2:1.0.26), libc6 (>= 2.34), libstdc++6 (>= 12), libgcc-s1")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
