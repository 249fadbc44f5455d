# The data both programs are built from: the firmware image, the two
# agreement texts, the icon and manifest (Windows), chosen at configure time,
# and string entries 16 and 17 per target.
set(RESOURCES_DIR ${CMAKE_CURRENT_LIST_DIR})

set(FIRMWARE_IMAGE "${RESOURCES_DIR}/firmware_placeholder.bin" CACHE FILEPATH
    "Firmware image embedded as FIRMWARE 101, sent to the printer verbatim")
set(EULA_EN "${RESOURCES_DIR}/agreement_en.txt" CACHE FILEPATH
    "English agreement text (EULA 145): ASCII, CR LF line ends")
set(EULA_JA "${RESOURCES_DIR}/agreement_ja.txt" CACHE FILEPATH
    "Japanese agreement text (EULA 145): Shift-JIS, CR LF line ends")
set(TARGET_HARDWARE_ID "USB\\VID_0E7A&PID_41C5" CACHE STRING
    "String entry 16: hardware IDs to look for, comma separated; empty walks the USB tree")
set(TARGET_ROUTE "PrintClass" CACHE STRING
    "String entry 17: PrintClass selects the printer-class route, any other text the scanner-class route")

# A value as the body of a quoted .rc or C string: backslashes doubled, quotes refused.
function(rc_string_body out_var value what)
    if(value MATCHES "\"")
        message(FATAL_ERROR "${what} must not contain a double quote: ${value}")
    endif()
    string(REPLACE "\\" "\\\\" value "${value}")
    set(${out_var} "${value}" PARENT_SCOPE)
endfunction()

set(RESOURCE_DATA_FILES)
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
    list(APPEND RESOURCE_DATA_FILES "${path}")
    set(DATA_FILE_${input} "${path}")
    rc_string_body(RC_${input} "${path}" ${input})
endforeach()

# resource_inputs.h for one target: its string entries 16 and 17 and the
# paths of the data files, as string bodies for the resource compiler and C.
function(fwupdater_inputs target hardware_id route)
    # The hardware ID is copied into a 128-byte field with its terminating zero.
    string(LENGTH "${hardware_id}" length)
    if(length GREATER 127)
        message(FATAL_ERROR "${target}: the hardware ID has ${length} characters; at most 127 fit")
    endif()
    rc_string_body(RC_TARGET_HARDWARE_ID "${hardware_id}" "hardware ID")
    rc_string_body(RC_TARGET_ROUTE "${route}" "route")
    set(inputs ${CMAKE_BINARY_DIR}/resources/${target})
    configure_file(${RESOURCES_DIR}/resource_inputs.h.in ${inputs}/resource_inputs.h @ONLY)
    target_include_directories(${target} PRIVATE ${inputs})
endfunction()
