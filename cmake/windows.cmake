# The Windows executable, cross-built with mingw-w64 (or MSVC).
# add_fwupdater(target WIN32|CONSOLE RELEASE|CHECKED hardware_id route [sources...])
# One executable from the product sources with its own string entries 16 and
# 17. RELEASE is the shipped build: small, stripped, reproducible. CHECKED
# traps on undefined behaviour and out-of-bounds array access, for the tests.

if(MSVC)
    set(FWUPDATER_COMMON_FLAGS /W4 /WX /GS)
    set(FWUPDATER_RELEASE_FLAGS /O1)
    set(FWUPDATER_CHECKED_FLAGS /Od /RTC1)
    # The resource script carries the manifest; the linker must not add one.
    set(FWUPDATER_LINK_FLAGS /MANIFEST:NO /DYNAMICBASE /NXCOMPAT)
    set(FWUPDATER_RELEASE_LINK_FLAGS /OPT:REF)
    set(CMAKE_MSVC_RUNTIME_LIBRARY MultiThreaded)
else()
    # No exceptions are used, so neither their tables nor RTTI are carried;
    # build paths are dropped so two build directories give the same bytes.
    set(FWUPDATER_COMMON_FLAGS -Wall -Wextra -Werror -fno-exceptions -fno-rtti
        -fno-asynchronous-unwind-tables -fstack-protector-strong -D_FORTIFY_SOURCE=2
        -ffile-prefix-map=${CMAKE_SOURCE_DIR}/= -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)
    set(FWUPDATER_RELEASE_FLAGS -Os -ffunction-sections -fdata-sections)
    set(FWUPDATER_CHECKED_FLAGS -O1 -g -fsanitize=undefined -fsanitize=bounds-strict
        -fsanitize-undefined-trap-on-error)
    # Runtimes linked in, so the executable imports system DLLs only; ASLR and
    # DEP stay on; no time stamp, so a rebuild gives the same bytes.
    set(FWUPDATER_LINK_FLAGS -static -Wl,--dynamicbase -Wl,--nxcompat
        -Wl,--no-insert-timestamp)
    set(FWUPDATER_RELEASE_LINK_FLAGS -s -Wl,--gc-sections)

    # InitCommonControls is imported from COMCTL32 by its ordinal, 17, as the
    # system's import library does; mingw-w64's own imports it by name.
    set(COMCTL32_ORDINALS ${CMAKE_BINARY_DIR}/libcomctl32_ordinals.a)
    add_custom_command(OUTPUT ${COMCTL32_ORDINALS}
        COMMAND ${CMAKE_DLLTOOL} -k -d ${CMAKE_SOURCE_DIR}/ui/win32/comctl32_ordinals.def
                -l ${COMCTL32_ORDINALS}
        DEPENDS ${CMAKE_SOURCE_DIR}/ui/win32/comctl32_ordinals.def)
    add_custom_target(comctl32_ordinals DEPENDS ${COMCTL32_ORDINALS})
endif()

function(add_fwupdater target kind flavour hardware_id route)
    if(kind STREQUAL "WIN32")
        add_executable(${target} WIN32 ${PRODUCT_SOURCES} ${ARGN})
    else()
        add_executable(${target} ${PRODUCT_SOURCES} ${ARGN})
    endif()
    target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR})
    target_compile_options(${target} PRIVATE
        $<$<COMPILE_LANGUAGE:C,CXX>:${FWUPDATER_COMMON_FLAGS} ${FWUPDATER_${flavour}_FLAGS}>)
    target_link_options(${target} PRIVATE ${FWUPDATER_LINK_FLAGS}
                        ${FWUPDATER_${flavour}_LINK_FLAGS})
    if(flavour STREQUAL "CHECKED" AND NOT MSVC)
        target_link_options(${target} PRIVATE ${FWUPDATER_CHECKED_FLAGS})
    endif()
    set(libraries comctl32 setupapi advapi32 gdi32 user32 kernel32)
    if(MINGW)
        # Ahead of comctl32, so the ordinal import wins.
        add_dependencies(${target} comctl32_ordinals)
        list(PREPEND libraries ${COMCTL32_ORDINALS})
        list(APPEND libraries ssp)
    endif()
    target_link_libraries(${target} PRIVATE ${libraries})
    fwupdater_inputs(${target} "${hardware_id}" "${route}")
    target_sources(${target} PRIVATE ${RESOURCES_DIR}/fwupdater.rc)
endfunction()

# The data files are read by the resource compiler, not #included, so the
# dependency scanner does not see them.
set_property(SOURCE ${RESOURCES_DIR}/fwupdater.rc APPEND PROPERTY OBJECT_DEPENDS
    ${RESOURCE_DATA_FILES} ${RESOURCES_DIR}/english.rc ${RESOURCES_DIR}/japanese.rc
    ${RESOURCES_DIR}/shared.rc ${RESOURCES_DIR}/resource_ids.h)

enable_language(RC)
glob_sources(SYSTEM_SOURCES "win32/")
set(PRODUCT_SOURCES ${CORE_SOURCES} ${SYSTEM_SOURCES})

# The executable that ships.
add_fwupdater(fwupdater WIN32 RELEASE "${TARGET_HARDWARE_ID}" "${TARGET_ROUTE}")

option(FWUPDATER_TESTS "Build the test programs (mingw-w64 only)" ON)
if(FWUPDATER_TESTS AND MINGW)
    add_subdirectory(tests)
endif()
