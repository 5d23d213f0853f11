# Windows build, cross-compiled with mingw-w64 and linked statically so that
# varnick.exe imports only system DLLs.
enable_language(RC)
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN)
# Source paths as they stand in the tree, wherever it was checked out.
add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=>)
# -O2 rather than the build type's -O3: the program's time goes to system
# calls and the window, and -O3's inlining and unrolling made it a tenth
# larger without a difference scripts/bench-floor.sh can measure.
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG")

set(WIN32_PLATFORM_SOURCES
  platform/cr_errors.cpp
  platform/index_sort.cpp
  platform/win32/code_page.cpp
  platform/win32/devices.cpp
  platform/win32/event_channel.cpp
  platform/win32/events.cpp
  platform/win32/file.cpp
  platform/win32/file_security.cpp
  platform/win32/last_error.cpp
  platform/win32/libraries.cpp
  platform/win32/list_view.cpp
  platform/win32/message_box.cpp
  platform/win32/output.cpp
  platform/win32/port_database.cpp
  platform/win32/process.cpp
  platform/win32/profile.cpp
  platform/win32/registry.cpp
  platform/win32/task_scheduler.cpp
  platform/win32/text.cpp
  platform/win32/wine.cpp
)
set(WIN32_LIBRARIES setupapi cfgmgr32 shlwapi version advapi32 user32 gdi32 comctl32 comdlg32
  shell32 ole32 oleaut32)

# The programs bind every system library but the kernel's (and the C
# runtime) on first use, so that start-up can restrict the library search
# to the system directory before any of them is loaded: their import table
# names only KERNEL32.dll and msvcrt.dll. The delay-import libraries are
# made from mingw-w64's import libraries (cmake/delay_library.cmake); the
# delay-load helper comes with mingw-w64's runtime.
find_program(MINGW_DLLTOOL NAMES x86_64-w64-mingw32-dlltool dlltool REQUIRED)
find_program(MINGW_NM NAMES x86_64-w64-mingw32-nm nm REQUIRED)
set(DELAY_LOADED_LIBRARIES)
foreach(name setupapi shlwapi advapi32 user32 gdi32 comctl32 comdlg32 shell32 ole32 oleaut32)
  find_library(IMPORT_${name} ${name} REQUIRED)
  set(delayLibrary ${CMAKE_BINARY_DIR}/delay/lib${name}_delay.a)
  add_custom_command(OUTPUT ${delayLibrary}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/delay
    COMMAND ${CMAKE_COMMAND} -DNM=${MINGW_NM} -DDLLTOOL=${MINGW_DLLTOOL}
            -DLIBRARY=${IMPORT_${name}} -DOUTPUT=${delayLibrary}
            -P ${CMAKE_SOURCE_DIR}/cmake/delay_library.cmake
    DEPENDS ${CMAKE_SOURCE_DIR}/cmake/delay_library.cmake
    VERBATIM)
  list(APPEND DELAY_LOADED_LIBRARIES ${delayLibrary})
endforeach()
add_custom_target(delay_libraries DEPENDS ${DELAY_LOADED_LIBRARIES})
# Listed before the system import libraries that the compiler adds by
# itself, so that they take their place.
set(PROGRAM_LIBRARIES ${DELAY_LOADED_LIBRARIES})

# Platform functions that a test build may replace at link time; every
# program lists them itself instead of taking them from the library.
set(ADMIN_TEST platform/win32/is_user_admin.cpp)
set(DEVICE_STATE platform/win32/device_state.cpp)

# The manifest carries the version of res/version.h; a change there
# configures the build again.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/version.h)
file(STRINGS ${CMAKE_SOURCE_DIR}/res/version.h versionLines
     REGEX "^#define VARNICK_VERSION_(MAJOR|MINOR|BUILD|REVISION) [0-9]+")
set(VARNICK_VERSION)
foreach(line ${versionLines})
  string(REGEX MATCH "[0-9]+" number "${line}")
  list(APPEND VARNICK_VERSION ${number})
endforeach()
list(LENGTH VARNICK_VERSION parts)
if(NOT parts EQUAL 4)
  message(FATAL_ERROR "res/version.h does not give the four parts of the version")
endif()
list(JOIN VARNICK_VERSION "." VARNICK_VERSION)
configure_file(${CMAKE_SOURCE_DIR}/res/varnick.manifest.in ${CMAKE_BINARY_DIR}/varnick.manifest @ONLY)
# windres reports no dependencies: the resources are compiled again when
# anything they take in changes.
file(GLOB RESOURCE_INPUTS ${CMAKE_SOURCE_DIR}/res/*.h ${CMAKE_SOURCE_DIR}/res/*.ico
     ${CMAKE_SOURCE_DIR}/res/*.bmp)
set_source_files_properties(res/varnick.rc PROPERTIES
  OBJECT_DEPENDS "${RESOURCE_INPUTS};${CMAKE_BINARY_DIR}/varnick.manifest")

# The window: Win32 code only.
set(WINDOW_SOURCES
  actions/about_box.cpp
  actions/clipboard.cpp
  actions/desktop_shell.cpp
  actions/property_sheet.cpp
  actions/system_tools.cpp
  actions/visual_theme.cpp
  ui/win32/app_cursor.cpp
  ui/win32/commands.cpp
  ui/win32/file_dialogs.cpp
  ui/win32/list_notify.cpp
  ui/win32/list_rows.cpp
  ui/win32/list_sort.cpp
  ui/win32/main_window.cpp
  ui/win32/menus.cpp
  ui/win32/monitor.cpp
  ui/win32/move_dialog.cpp
  ui/win32/plan_dialog.cpp
  ui/win32/port_list.cpp
  ui/win32/row_work.cpp
  ui/win32/settings_file.cpp
  ui/win32/shutdown.cpp
  ui/win32/window_state.cpp
  ui/win32/window_mode.cpp
)
add_link_options(-static -static-libgcc -static-libstdc++)

# The program throws and catches nothing. Built without exceptions, the
# destructors of its holders add no unwind landing pads, and nothing pulls
# the C++ exception runtime into the static programs. The unwind tables
# stay: Windows x64 walks stacks and dispatches structured exceptions
# through them. The tests' own code, built with exceptions for GoogleTest,
# links the library all the same.
set(PROGRAM_CXX_OPTIONS "$<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions;-fno-rtti>")

add_library(varnick_core STATIC ${PORTABLE_SOURCES} ${WIN32_PLATFORM_SOURCES} ${WINDOW_SOURCES})
target_compile_options(varnick_core PRIVATE ${PROGRAM_CXX_OPTIONS})

# A program built from varnick_core with the libraries bound on first use.
# Its bytes depend on the source alone: no debug sections (and with them no
# build paths), and the PE time stamp from SOURCE_DATE_EPOCH, which the
# build scripts set to the commit's time.
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/source-date-epoch CONTENT "$ENV{SOURCE_DATE_EPOCH}")
function(add_varnick_program name)
  add_executable(${name} WIN32 app/win32/main.cpp ${ARGN} res/varnick.rc)
  # Linked again when the time stamp to be written changes.
  set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS ${CMAKE_BINARY_DIR}/source-date-epoch)
  add_dependencies(${name} delay_libraries)
  target_include_directories(${name} PRIVATE ${CMAKE_BINARY_DIR})  # the manifest
  target_link_libraries(${name} varnick_core ${PROGRAM_LIBRARIES})
  target_link_options(${name} PRIVATE -municode -s)
  target_compile_options(${name} PRIVATE ${PROGRAM_CXX_OPTIONS})
endfunction()

add_varnick_program(varnick ${ADMIN_TEST} ${DEVICE_STATE})

# varnick.com, the console companion that a console finds first for
# "varnick": it starts varnick.exe beside it, waits for it and ends with its
# exit code. The kernel's library only, no C runtime: its own entry point,
# no stack probes, no loops turned into memset or memcpy, and the portable
# routines it shares (argument text, error names, encoding) without their
# unused neighbours. Reproducible and stripped as the program is.
add_executable(console_companion app/win32/console_companion.cpp base/error_name.cpp
  app/program_name.cpp base/text.cpp platform/win32/code_page.cpp)
set_target_properties(console_companion PROPERTIES OUTPUT_NAME varnick SUFFIX .com)
set_property(TARGET console_companion APPEND PROPERTY LINK_DEPENDS
  ${CMAKE_BINARY_DIR}/source-date-epoch)
target_compile_options(console_companion PRIVATE -Os -ffreestanding -fno-builtin
  -fno-tree-loop-distribute-patterns -fno-exceptions -fno-rtti
  -fno-stack-protector -mno-stack-arg-probe -ffunction-sections -fdata-sections)
target_link_options(console_companion PRIVATE -nostdlib -nostartfiles -Wl,-e,CompanionStart
  -Wl,--gc-sections -s)
target_link_libraries(console_companion kernel32)

# The same program whose administrator test answers no, for the tests of
# restricted mode: only that one function is substituted at link time.
add_varnick_program(varnick_restricted tests/tools/not_admin.cpp ${DEVICE_STATE})

# The same program in which devices marked in their instance ID are not
# present and can be removed (tests/tools/ghost_devices.cpp), for the tests
# of the removal commands against Wine's device tree.
add_varnick_program(varnick_ghosts ${ADMIN_TEST} tests/tools/ghost_devices.cpp)

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
add_library(test_msports SHARED tests/tools/test_msports.cpp)
set_target_properties(test_msports PROPERTIES PREFIX "" OUTPUT_NAME msports)
add_library(test_wevtapi SHARED tests/tools/test_wevtapi.cpp)
set_target_properties(test_wevtapi PROPERTIES PREFIX "" OUTPUT_NAME wevtapi)
add_library(planted SHARED tests/tools/planted.cpp)
set_target_properties(planted PROPERTIES PREFIX "")
add_executable(recorder tests/tools/recorder.cpp)
target_link_options(recorder PRIVATE -municode)

# The floor under the scan, for the benchmarks (scripts/bench-floor.sh).
add_executable(bare_scanner tests/tools/bare_scanner.cpp)
target_link_libraries(bare_scanner setupapi cfgmgr32 advapi32)
target_link_options(bare_scanner PRIVATE -municode)

# The shared unit tests against the real registry, where GoogleTest's
# sources are at hand (Debian's googletest package; elsewhere set GTEST_SOURCE).
set(GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source tree")
if(EXISTS ${GTEST_SOURCE}/CMakeLists.txt)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(${GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # The profile encodings of the simulated platform, held against the system's.
  add_executable(unit_tests ${SHARED_TESTS} res/resources_win32_test.cpp
    platform/win32/file_win32_test.cpp
    platform/win32/file_security_win32_test.cpp
    platform/win32/last_error_win32_test.cpp
    platform/win32/library_function_win32_test.cpp
    platform/sim/profile_codec.cpp
    tests/support/registry_win32.cpp
    tests/support/test_main.cpp ${ADMIN_TEST} ${DEVICE_STATE})
  target_link_libraries(unit_tests varnick_core gtest ${WIN32_LIBRARIES})
endif()
