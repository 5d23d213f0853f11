# Windows build, cross-compiled with mingw-w64 and linked statically so that
# varnick.exe imports only system DLLs.
enable_language(RC)
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN)

set(WIN32_PLATFORM_SOURCES
  platform/win32/devices.cpp
  platform/win32/libraries.cpp
  platform/win32/list_view.cpp
  platform/win32/process.cpp
  platform/win32/profile.cpp
  platform/win32/registry.cpp
)
set(WIN32_LIBRARIES setupapi cfgmgr32 shlwapi version advapi32 user32 gdi32 comctl32 shell32 ole32)

# Platform functions that a test build may replace at link time; every
# program lists them itself instead of taking them from the library.
set(ADMIN_TEST platform/win32/is_user_admin.cpp)
set(DEVICE_STATE platform/win32/device_state.cpp)

# The window: Win32 code only.
set(WINDOW_SOURCES
  actions/about_box.cpp
  actions/clipboard.cpp
  actions/property_sheet.cpp
  actions/system_tools.cpp
  actions/visual_theme.cpp
  ui/commands.cpp
  ui/list_notify.cpp
  ui/list_sort.cpp
  ui/main_window.cpp
  ui/monitor.cpp
  ui/port_list.cpp
  ui/settings_file.cpp
  ui/window_mode.cpp
)
add_link_options(-static -static-libgcc -static-libstdc++)

add_library(varnick_core STATIC ${PORTABLE_SOURCES} ${WIN32_PLATFORM_SOURCES} ${WINDOW_SOURCES})
target_link_libraries(varnick_core PUBLIC ${WIN32_LIBRARIES})

add_executable(varnick WIN32 platform/win32/main.cpp ${ADMIN_TEST} ${DEVICE_STATE}
  res/varnick.rc)
target_link_libraries(varnick varnick_core)
target_link_options(varnick PRIVATE -municode)

# The same program whose administrator test answers no, for the tests of
# restricted mode: only that one function is substituted at link time.
add_executable(varnick_restricted WIN32 platform/win32/main.cpp tests/tools/not_admin.cpp
  ${DEVICE_STATE} res/varnick.rc)
target_link_libraries(varnick_restricted varnick_core)
target_link_options(varnick_restricted PRIVATE -municode)

# The same program in which devices marked in their instance ID are not
# present and can be removed (tests/tools/ghost_devices.cpp), for the tests
# of the removal commands against Wine's device tree.
add_executable(varnick_ghosts WIN32 platform/win32/main.cpp ${ADMIN_TEST}
  tests/tools/ghost_devices.cpp res/varnick.rc)
target_link_libraries(varnick_ghosts varnick_core)
target_link_options(varnick_ghosts PRIVATE -municode)

# Test tools run in the same Wine prefix.
add_executable(vtool tests/tools/vtool.cpp tests/tools/vtool_actions.cpp
  tests/tools/vtool_window.cpp)
target_link_libraries(vtool setupapi user32 gdi32 advapi32 comctl32 ole32)
target_link_options(vtool PRIVATE -municode)

# Stand-ins for what Wine lacks, put into the test prefix only.
add_library(test_devmgr SHARED tests/tools/test_devmgr.cpp)
set_target_properties(test_devmgr PROPERTIES PREFIX "" OUTPUT_NAME devmgr)
target_link_libraries(test_devmgr user32)
add_library(test_srclient SHARED tests/tools/test_srclient.cpp)
set_target_properties(test_srclient PROPERTIES PREFIX "" OUTPUT_NAME srclient)
add_executable(recorder tests/tools/recorder.cpp)
target_link_options(recorder PRIVATE -municode)

# The shared unit tests against the real registry, where GoogleTest's
# sources are at hand (Debian's googletest package; elsewhere set GTEST_SOURCE).
set(GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source tree")
if(EXISTS ${GTEST_SOURCE}/CMakeLists.txt)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(${GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  add_executable(unit_tests ${SHARED_TESTS} res/resources_win32_test.cpp
    tests/support/registry_win32.cpp
    tests/support/test_main.cpp ${ADMIN_TEST} ${DEVICE_STATE})
  target_link_libraries(unit_tests varnick_core gtest)
endif()
