# Host build: the system sources against the fake machine, under the sanitizers.
enable_testing()
find_package(GTest REQUIRED)
find_package(Threads REQUIRED)

set(SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

add_library(fwsystem STATIC ${SYSTEM_SOURCES})
target_include_directories(fwsystem PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(fwsystem PUBLIC ${WARNINGS} ${SANITIZERS} -g)
target_link_options(fwsystem PUBLIC ${SANITIZERS})

file(GLOB FAKEWIN_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fakewin/*.cpp)
add_library(fakewin STATIC ${FAKEWIN_SOURCES})
target_link_libraries(fakewin PUBLIC fwsystem Threads::Threads)

file(GLOB UNIT_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(unit_tests ${UNIT_SOURCES})
# The system library and the fake need each other; link them as one group.
target_link_libraries(unit_tests PRIVATE -Wl,--start-group fwsystem fakewin -Wl,--end-group
                      GTest::gtest GTest::gtest_main Threads::Threads)
include(GoogleTest)
gtest_discover_tests(unit_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 60)

file(GLOB HOST_EXTRAS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/*/host.cmake)
foreach(extra ${HOST_EXTRAS})
    include(${extra})
endforeach()
