# End-to-end layer: the real fwupdater.exe under Wine with a virtual printer.
# Test-only pieces (two kernel-mode driver stand-ins, the dialog probe and the
# device self-check) are built here with mingw-w64 and never ship.
if(E2E_VARIANT OR NOT MINGW OR NOT CMAKE_HOST_UNIX)
    return()
endif()

set(E2E_DIR ${CMAKE_CURRENT_LIST_DIR})
set(E2E_BIN ${CMAKE_BINARY_DIR}/e2e/bin)

find_path(DDK_INCLUDE_DIR ntddk.h PATH_SUFFIXES ddk REQUIRED)

foreach(driver vusbprint vusbscan)
    add_library(e2e_${driver} SHARED ${E2E_DIR}/driver/${driver}.c ${E2E_DIR}/driver/sink.c)
    set_target_properties(e2e_${driver} PROPERTIES
        OUTPUT_NAME ${driver} PREFIX "" SUFFIX ".sys"
        RUNTIME_OUTPUT_DIRECTORY ${E2E_BIN} LIBRARY_OUTPUT_DIRECTORY ${E2E_BIN}
        C_STANDARD 11 C_EXTENSIONS ON)
    target_include_directories(e2e_${driver} SYSTEM PRIVATE ${DDK_INCLUDE_DIR})
    target_compile_options(e2e_${driver} PRIVATE ${WARNINGS})
    # A native image loaded by Wine's device host: no C runtime, the kernel's
    # exports only.
    target_link_options(e2e_${driver} PRIVATE -nostdlib -Wl,--subsystem,native
                        -Wl,--entry,_DriverEntry@8)
    target_link_libraries(e2e_${driver} PRIVATE ntoskrnl hal)
endforeach()

foreach(helper dlgprobe devcheck)
    add_executable(e2e_${helper} ${E2E_DIR}/helper/${helper}.c)
    set_target_properties(e2e_${helper} PROPERTIES OUTPUT_NAME ${helper}
        RUNTIME_OUTPUT_DIRECTORY ${E2E_BIN} C_STANDARD 11 C_EXTENSIONS ON)
    target_compile_options(e2e_${helper} PRIVATE ${WARNINGS})
    target_link_options(e2e_${helper} PRIVATE -static -static-libgcc)
endforeach()
target_link_libraries(e2e_dlgprobe PRIVATE user32)
target_link_libraries(e2e_devcheck PRIVATE setupapi)

set(E2E_HARNESS /usr/bin/python3 -B ${E2E_DIR}/harness.py)
set(E2E_ARGS --build-dir ${CMAKE_BINARY_DIR})

add_test(NAME e2e_prefix COMMAND ${E2E_HARNESS} prepare ${E2E_ARGS})
set_tests_properties(e2e_prefix PROPERTIES FIXTURES_SETUP e2e_prefix TIMEOUT 300)

add_test(NAME e2e_variants COMMAND ${E2E_HARNESS} variants ${E2E_ARGS}
         --source-dir ${CMAKE_SOURCE_DIR}
         --toolchain ${CMAKE_SOURCE_DIR}/cmake/i686-w64-mingw32.cmake)
set_tests_properties(e2e_variants PROPERTIES FIXTURES_SETUP e2e_variants TIMEOUT 1700)

add_test(NAME e2e_virtual_printer COMMAND ${E2E_HARNESS} selfcheck ${E2E_ARGS})
set_tests_properties(e2e_virtual_printer PROPERTIES FIXTURES_REQUIRED e2e_prefix
                     FIXTURES_SETUP e2e_printer TIMEOUT 180)

set(E2E_SCENARIOS refuse transfer absent-then-retry unplug japanese registry-walk scanner-route)
foreach(scenario ${E2E_SCENARIOS})
    add_test(NAME e2e_${scenario} COMMAND ${E2E_HARNESS} scenario ${scenario} ${E2E_ARGS})
    set_tests_properties(e2e_${scenario} PROPERTIES
        FIXTURES_REQUIRED "e2e_prefix;e2e_printer" TIMEOUT 300)
endforeach()
set_property(TEST e2e_registry-walk e2e_scanner-route APPEND PROPERTY FIXTURES_REQUIRED
             e2e_variants)
