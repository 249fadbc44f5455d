# The shipped 32-bit GUI executable.
enable_testing()
enable_language(RC)

add_executable(fwupdater WIN32 ${SYSTEM_SOURCES})
target_include_directories(fwupdater PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_options(fwupdater PRIVATE ${WARNINGS})
target_compile_definitions(fwupdater PRIVATE WIN32_LEAN_AND_MEAN)
target_link_libraries(fwupdater PRIVATE comctl32 setupapi advapi32 gdi32 user32 kernel32)
if(MINGW)
    # Runtimes linked in, so the executable imports system DLLs only.
    target_link_options(fwupdater PRIVATE -static -static-libgcc -static-libstdc++ -mwindows)
endif()

file(GLOB WINDOWS_EXTRAS CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/resources/windows.cmake
    ${CMAKE_SOURCE_DIR}/ui/windows.cmake
    ${CMAKE_SOURCE_DIR}/tools/windows.cmake
    ${CMAKE_SOURCE_DIR}/tests/*/windows.cmake)
foreach(extra ${WINDOWS_EXTRAS})
    include(${extra})
endforeach()
