# The Linux terminal program, native, on libusb.
# add_fwupdater_linux(target RELEASE|CHECKED hardware_id route [write_timeout_ms])
# RELEASE is what ships; CHECKED carries AddressSanitizer and
# UndefinedBehaviorSanitizer, for the tests.
if(NOT TARGET_ROUTE STREQUAL "PrintClass")
    # One line: a Linux build reaches the printer only through its class interface.
    message(FATAL_ERROR "TARGET_ROUTE=${TARGET_ROUTE}: still-image route is Windows-only; use PrintClass")
endif()

find_package(PkgConfig REQUIRED)
pkg_check_modules(LIBUSB REQUIRED IMPORTED_TARGET libusb-1.0)
find_package(Threads REQUIRED)

set(FWUPDATER_COMMON_FLAGS -Wall -Wextra -Werror -fno-exceptions -fno-rtti
    -ffile-prefix-map=${CMAKE_SOURCE_DIR}/= -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)
set(FWUPDATER_RELEASE_FLAGS -O2 -fstack-protector-strong -D_FORTIFY_SOURCE=2)
set(FWUPDATER_CHECKED_FLAGS -O1 -g -fno-omit-frame-pointer -fsanitize=address,undefined
    -fno-sanitize-recover=all)
set(FWUPDATER_RELEASE_LINK_FLAGS -Wl,-z,relro,-z,now)
set(FWUPDATER_CHECKED_LINK_FLAGS -fsanitize=address,undefined)

# What the program says of itself (--version) and where its package puts
# the udev rule; packaging/package.cmake ships them.
set(FWUPDATER_VERSION 1.0.0)
set(PACKAGE_NAME "tarvelin-chromalux-4410n-fwupdater")
set(UDEV_RULE_NAME "70-${PACKAGE_NAME}.rules")
# Read again whenever the image changes, so --version names the image built in.
file(SHA256 "${DATA_FILE_FIRMWARE_IMAGE}" FIRMWARE_IMAGE_SHA256)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${DATA_FILE_FIRMWARE_IMAGE}")
set_property(SOURCE ${CMAKE_SOURCE_DIR}/ui/linux/arguments.cpp APPEND PROPERTY COMPILE_DEFINITIONS
    FWUPDATER_VERSION="${FWUPDATER_VERSION}" FIRMWARE_IMAGE_SHA256="${FIRMWARE_IMAGE_SHA256}")
set_property(SOURCE ${CMAKE_SOURCE_DIR}/ui/linux/udev_rule.cpp APPEND PROPERTY COMPILE_DEFINITIONS
    FWUPDATER_UDEV_RULE="${UDEV_RULE_NAME}" FWUPDATER_PACKAGE="${PACKAGE_NAME}")

glob_sources(SYSTEM_SOURCES "linux/")
set(PRODUCT_SOURCES ${CORE_SOURCES} ${SYSTEM_SOURCES})
include(resources/linux/texts.cmake)

# The image and agreements are assembled into the program; the assembler
# reads them, so the dependency scanner does not see them.
set_property(SOURCE ${RESOURCES_DIR}/linux/embedded_data.cpp APPEND PROPERTY OBJECT_DEPENDS
    ${RESOURCE_DATA_FILES})

function(add_fwupdater_linux target flavour hardware_id route)
    add_executable(${target} ${PRODUCT_SOURCES} ${LINUX_TEXTS_SOURCE})
    target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR})
    target_compile_options(${target} PRIVATE ${FWUPDATER_COMMON_FLAGS}
                           ${FWUPDATER_${flavour}_FLAGS})
    target_link_options(${target} PRIVATE ${FWUPDATER_${flavour}_LINK_FLAGS})
    if(ARGC GREATER 4)
        target_compile_definitions(${target} PRIVATE FWUPDATER_WRITE_TIMEOUT_MS=${ARGV4})
    endif()
    target_link_libraries(${target} PRIVATE PkgConfig::LIBUSB Threads::Threads)
    fwupdater_inputs(${target} "${hardware_id}" "${route}")
endfunction()

# The program that ships.
add_fwupdater_linux(fwupdater RELEASE "${TARGET_HARDWARE_ID}" "${TARGET_ROUTE}")

option(FWUPDATER_TESTS "Build the programs the tests run" ON)
if(FWUPDATER_TESTS)
    # Checked builds with a 2-second write timeout, so a printer that takes
    # no data fails within a test's patience.
    add_fwupdater_linux(fwupdater-checked CHECKED "${TARGET_HARDWARE_ID}" PrintClass 2000)
    add_fwupdater_linux(fwupdater-walk CHECKED "" PrintClass 2000)
    # Configured with the printer's ID short of its last digit: the printer's
    # entries start with it, and whole-entry matching must still find nothing.
    add_fwupdater_linux(fwupdater-short-id CHECKED "USB\\VID_0E7A&PID_41C" PrintClass 2000)
endif()

include(packaging/package.cmake)
