# InitCommonControls is imported from COMCTL32 by its ordinal, 17, as the
# system's import library does; mingw-w64's own imports it by name.
if(MINGW)
    set(COMCTL32_ORDINALS ${CMAKE_BINARY_DIR}/libcomctl32_ordinals.a)
    add_custom_command(OUTPUT ${COMCTL32_ORDINALS}
        COMMAND ${CMAKE_DLLTOOL} -k -d ${CMAKE_SOURCE_DIR}/ui/comctl32_ordinals.def
                -l ${COMCTL32_ORDINALS}
        DEPENDS ${CMAKE_SOURCE_DIR}/ui/comctl32_ordinals.def
        COMMENT "COMCTL32 import by ordinal")
    add_custom_target(comctl32_ordinals DEPENDS ${COMCTL32_ORDINALS})
    add_dependencies(fwupdater comctl32_ordinals)
    # Ahead of comctl32 on the link line, so the ordinal import wins.
    get_target_property(FWUPDATER_LIBS fwupdater LINK_LIBRARIES)
    list(INSERT FWUPDATER_LIBS 0 ${COMCTL32_ORDINALS})
    set_target_properties(fwupdater PROPERTIES LINK_LIBRARIES "${FWUPDATER_LIBS}")
endif()
