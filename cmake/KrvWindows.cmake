# The cross build for Windows (mingw-w64, tests through Wine): GoogleTest from Debian's sources,
# programs that need no runtime DLLs beside them, and the tests that can run there.

# The installer takes the programs scripts/windows built: "all" also holds test fixtures of
# the POSIX build.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

# One .exe that runs wherever it is copied: the C++ runtime and the threads are linked in.
add_link_options(-static)
# Paths and names are UTF-8 throughout the tool: the manifest makes the system's narrow
# calls take UTF-8 too.
set(KRV_WINDOWS_MANIFEST ${CMAKE_CURRENT_LIST_DIR}/windows/krv.manifest)

if(KRV_TESTS)
    # Its own CMake files name the targets GTest::gtest, GTest::gmock and so on.
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    foreach(library gtest gtest_main gmock gmock_main)
        target_compile_options(${library} PRIVATE -Wno-error)
    endforeach()
endif()

# The tests that run on Windows: everything the system does not decide, and the Windows back
# end's own. The others need a pseudo-terminal, the simulator in-process, or POSIX calls;
# platform_threads runs for minutes under Wine, whose locks are slow under contention.
set(KRV_WINDOWS_TESTS
    platform_error platform_fill_in platform_windows
    lang_file lang_translate link_message map_blocks calibration_core
    readings_log_msl readings_log_replay_track chart_model chart_line_stamps
    device_units device_diag_data device_readings_csv register_cars register_recognition)
