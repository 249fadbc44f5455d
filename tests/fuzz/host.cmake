# libFuzzer target over the device search's outside inputs. The system code is
# built a second time with coverage for the fuzzer; the fake machine beside it.
set(FUZZ_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

add_library(fwsystem_fuzz STATIC ${SYSTEM_SOURCES})
target_include_directories(fwsystem_fuzz PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(fwsystem_fuzz PUBLIC ${WARNINGS} ${FUZZ_SANITIZERS} -g)
# Coverage guides the fuzzer through the system code and the harness, not the fake.
target_compile_options(fwsystem_fuzz PRIVATE -fsanitize=fuzzer-no-link)

add_library(fakewin_fuzz STATIC ${FAKEWIN_SOURCES})
target_link_libraries(fakewin_fuzz PUBLIC fwsystem_fuzz Threads::Threads)

add_executable(discovery_fuzz ${CMAKE_CURRENT_LIST_DIR}/discovery_fuzz.cpp)
target_link_libraries(discovery_fuzz PRIVATE -Wl,--start-group fwsystem_fuzz fakewin_fuzz
                      -Wl,--end-group Threads::Threads)
target_compile_options(discovery_fuzz PRIVATE -fsanitize=fuzzer-no-link)
target_link_options(discovery_fuzz PRIVATE -fsanitize=fuzzer ${FUZZ_SANITIZERS})

# A few seconds under `make test`; `make fuzz` runs it as long as asked.
add_test(NAME discovery_fuzz_smoke
         COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/run.sh ${CMAKE_BINARY_DIR} 5)
set_tests_properties(discovery_fuzz_smoke PROPERTIES TIMEOUT 120)
