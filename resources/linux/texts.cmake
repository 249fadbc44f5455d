# The string tables of the .rc files, written out as C++ for the Linux
# program, so both programs show the same texts from one source. Each
# "ID, text" line of a STRINGTABLE is copied as it stands: the .rc string
# syntax used here (\n, doubled backslashes, macros of resource_inputs.h)
# is also C++'s.
set(LINUX_TEXTS_SOURCE ${CMAKE_BINARY_DIR}/generated/text_tables.cpp)

function(stringtable_entries out_var rc_file)
    file(STRINGS ${rc_file} lines ENCODING UTF-8)
    set(entries "")
    set(inside FALSE)
    foreach(line IN LISTS lines)
        if(line MATCHES "^STRINGTABLE")
            set(inside TRUE)
        elseif(line MATCHES "^END")
            set(inside FALSE)
        elseif(inside AND line MATCHES "^[ \t]*(IDS_[A-Z_]+),[ \t]*(.+)$")
            string(APPEND entries "    {${CMAKE_MATCH_1}, ${CMAKE_MATCH_2}},\n")
        endif()
    endforeach()
    set(${out_var} "${entries}" PARENT_SCOPE)
endfunction()

stringtable_entries(SHARED_ENTRIES ${RESOURCES_DIR}/shared.rc)
stringtable_entries(ENGLISH_ENTRIES ${RESOURCES_DIR}/english.rc)
stringtable_entries(JAPANESE_ENTRIES ${RESOURCES_DIR}/japanese.rc)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${RESOURCES_DIR}/shared.rc
             ${RESOURCES_DIR}/english.rc ${RESOURCES_DIR}/japanese.rc)
file(CONFIGURE OUTPUT ${LINUX_TEXTS_SOURCE} CONTENT [[
// Generated from resources/shared.rc, english.rc and japanese.rc.
#include "resources/linux/text_tables.h"

#include "resources/resource_ids.h"
#include "resource_inputs.h"

const TextEntry kSharedTexts[] = {
@SHARED_ENTRIES@    {0, nullptr}};

const TextEntry kEnglishTexts[] = {
@ENGLISH_ENTRIES@    {0, nullptr}};

const TextEntry kJapaneseTexts[] = {
@JAPANESE_ENTRIES@    {0, nullptr}};
]] @ONLY)
