# The fuzz targets: the portable code on the simulated platform, built with
# clang's libFuzzer and AddressSanitizer and UndefinedBehaviorSanitizer.
set(FUZZ_FLAGS -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -g -O1)
add_library(varnick_fuzz STATIC
  ${PORTABLE_SOURCES}
  ${SIM_PLATFORM_SOURCES}
  ${SIM_WINDOW_SOURCES}
)
target_compile_options(varnick_fuzz PUBLIC ${FUZZ_FLAGS})
foreach(target command_line comdb journal plan port_name settings)
  add_executable(${target}_fuzz tests/fuzz/${target}_fuzz.cpp)
  target_link_libraries(${target}_fuzz varnick_fuzz)
  target_link_options(${target}_fuzz PRIVATE -fsanitize=fuzzer,address,undefined)
endforeach()
