# Native Linux build: the portable code on the simulated platform, with the
# unit tests under AddressSanitizer and UndefinedBehaviorSanitizer, and the
# end-to-end suite that drives the Windows build under Wine.
find_package(GTest REQUIRED)

option(VARNICK_COVERAGE "Count lines and branches (scripts/coverage.sh) instead of sanitizing" OFF)
if(VARNICK_COVERAGE)
  set(SANITIZE --coverage)
else()
  set(SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
endif()

add_library(varnick_sim STATIC
  ${PORTABLE_SOURCES}
  ${SIM_PLATFORM_SOURCES}
  ${SIM_WINDOW_SOURCES}
)
target_compile_options(varnick_sim PUBLIC ${SANITIZE} -g)
target_link_options(varnick_sim PUBLIC ${SANITIZE})

add_executable(unit_tests ${SHARED_TESTS} ${SIMULATED_TESTS} tests/support/fake_rows.cpp
  tests/support/journal_lines.cpp
  tests/support/registry_sim.cpp
  tests/support/test_main.cpp)
target_link_libraries(unit_tests varnick_sim GTest::gtest)

add_executable(e2e_tests
  tests/e2e/actions_e2e_test.cpp
  tests/e2e/autoapply_e2e_test.cpp
  tests/e2e/batch_e2e_test.cpp
  tests/e2e/commands_e2e_test.cpp
  tests/e2e/companion_e2e_test.cpp
  tests/e2e/harness.cpp
  tests/e2e/imports_e2e_test.cpp
  tests/e2e/plans_e2e_test.cpp
  tests/e2e/main.cpp
  tests/e2e/plan_e2e_test.cpp
  tests/e2e/settings_e2e_test.cpp
  tests/e2e/startup_e2e_test.cpp
  tests/e2e/window_e2e_test.cpp
  tests/e2e/window_fixture.cpp
)
target_compile_definitions(e2e_tests PRIVATE VARNICK_BUILD_ROOT="${CMAKE_SOURCE_DIR}/build")
target_link_libraries(e2e_tests GTest::gtest X11 Xfixes)

# Benchmarks, without sanitizers.
find_package(benchmark REQUIRED)
add_library(varnick_sim_plain STATIC
  ${PORTABLE_SOURCES}
  ${SIM_PLATFORM_SOURCES}
  ${SIM_WINDOW_SOURCES}
)
target_compile_options(varnick_sim_plain PRIVATE -O2)
add_executable(benchmarks core/port_devices_bench.cpp ui/row_order_bench.cpp
  app/batch_plan_bench.cpp)
target_compile_options(benchmarks PRIVATE -O2)
target_link_libraries(benchmarks varnick_sim_plain benchmark::benchmark)
