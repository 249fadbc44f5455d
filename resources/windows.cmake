# The executable's resources: both language sets from resources/*.rc, with the
# data files and the target configuration chosen at configure time.
set(RESOURCES_DIR ${CMAKE_CURRENT_LIST_DIR})

set(FIRMWARE_IMAGE "${RESOURCES_DIR}/firmware_placeholder.bin" CACHE FILEPATH
    "Firmware image embedded as FIRMWARE 101, sent to the printer verbatim")
set(EULA_EN "${RESOURCES_DIR}/agreement_en.txt" CACHE FILEPATH
    "English agreement text (EULA 145): ASCII, CR LF line ends")
set(EULA_JA "${RESOURCES_DIR}/agreement_ja.txt" CACHE FILEPATH
    "Japanese agreement text (EULA 145): Shift-JIS, CR LF line ends")
set(TARGET_HARDWARE_ID "USB\\VID_0E7A&PID_41C5" CACHE STRING
    "String entry 16: hardware IDs to look for, comma separated; empty walks the registry")
set(TARGET_ROUTE "PrintClass" CACHE STRING
    "String entry 17: PrintClass selects the printer-class route, any other text the scanner-class route")

# The hardware ID is copied into a 128-byte field with its terminating zero.
string(LENGTH "${TARGET_HARDWARE_ID}" hardware_id_length)
if(hardware_id_length GREATER 127)
    message(FATAL_ERROR "TARGET_HARDWARE_ID is ${hardware_id_length} characters; at most 127 fit")
endif()

# A value as the body of a quoted .rc string: backslashes doubled, quotes refused.
function(rc_string_body out_var value what)
    if(value MATCHES "\"")
        message(FATAL_ERROR "${what} must not contain a double quote: ${value}")
    endif()
    string(REPLACE "\\" "\\\\" value "${value}")
    set(${out_var} "${value}" PARENT_SCOPE)
endfunction()

rc_string_body(RC_TARGET_HARDWARE_ID "${TARGET_HARDWARE_ID}" TARGET_HARDWARE_ID)
rc_string_body(RC_TARGET_ROUTE "${TARGET_ROUTE}" TARGET_ROUTE)
set(resource_data_files)
foreach(input FIRMWARE_IMAGE EULA_EN EULA_JA PROGRAM_ICON MANIFEST)
    if(input STREQUAL "PROGRAM_ICON")
        set(path "${RESOURCES_DIR}/program.ico")
    elseif(input STREQUAL "MANIFEST")
        set(path "${RESOURCES_DIR}/fwupdater.manifest")
    else()
        get_filename_component(path "${${input}}" ABSOLUTE)
    endif()
    if(NOT EXISTS "${path}")
        message(FATAL_ERROR "${input}: no such file: ${path}")
    endif()
    file(TO_CMAKE_PATH "${path}" path)
    list(APPEND resource_data_files "${path}")
    rc_string_body(RC_${input} "${path}" ${input})
endforeach()

set(RESOURCE_INPUTS_DIR ${CMAKE_CURRENT_BINARY_DIR}/resources)
configure_file(${RESOURCES_DIR}/resource_inputs.h.in ${RESOURCE_INPUTS_DIR}/resource_inputs.h @ONLY)

set(RESOURCE_SCRIPT ${RESOURCES_DIR}/fwupdater.rc)
target_sources(fwupdater PRIVATE ${RESOURCE_SCRIPT})
set_property(SOURCE ${RESOURCE_SCRIPT} APPEND PROPERTY INCLUDE_DIRECTORIES ${RESOURCE_INPUTS_DIR})
# The data files are read by the resource compiler, not #included, so the
# dependency scanner does not see them.
set_property(SOURCE ${RESOURCE_SCRIPT} APPEND PROPERTY OBJECT_DEPENDS
    ${resource_data_files}
    ${RESOURCE_INPUTS_DIR}/resource_inputs.h
    ${RESOURCES_DIR}/english.rc
    ${RESOURCES_DIR}/japanese.rc
    ${RESOURCES_DIR}/shared.rc
    ${CMAKE_SOURCE_DIR}/ui/resource_ids.h)

# Read the resources back from the built executable and compare them with
# what they must be; then show that the check notices single broken bytes.
set(RESOURCE_CHECK_ARGS
    "--hardware-id=${TARGET_HARDWARE_ID}"
    "--route=${TARGET_ROUTE}"
    "--firmware=${FIRMWARE_IMAGE}"
    "--eula-en=${EULA_EN}"
    "--eula-ja=${EULA_JA}")
# The checks read the built file back with Debian's python3-pefile.
if(CMAKE_HOST_UNIX)
    add_test(NAME resources_check
             COMMAND /usr/bin/python3 -B ${CMAKE_SOURCE_DIR}/tools/check_resources.py
                     $<TARGET_FILE:fwupdater> ${RESOURCE_CHECK_ARGS})
    add_test(NAME resources_check_rejects_broken_bytes
             COMMAND /usr/bin/python3 -B ${CMAKE_SOURCE_DIR}/tools/check_resources_faults.py
                     $<TARGET_FILE:fwupdater> ${RESOURCE_CHECK_ARGS})
endif()
