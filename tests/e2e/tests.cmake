# End-to-end tests: the real program, driven through messages.
add_executable(e2e_tests ${test_manifest}
    e2e/app_driver.cpp
    e2e/floor_test.cpp
    e2e/shell_test.cpp
    e2e/window_test.cpp
    e2e/look_test.cpp
    e2e/outside_test.cpp)
target_include_directories(e2e_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/e2e)
target_link_libraries(e2e_tests PRIVATE test_support dorimo_layout dorimo_shell dorimo_settings oleacc oleaut32 ole32)
add_dependencies(e2e_tests dorimo dorimo_seam show_probe dorimo_floor marker_library)

# Loaded into the program by a message hook: changes of resolution sent as
# the system sends them, from the window's own thread.
add_library(resolution_hook SHARED e2e/resolution_hook.cpp)
target_link_libraries(resolution_hook PRIVATE dorimo_flags)
target_link_options(resolution_hook PRIVATE -Wl,--kill-at)
set_target_properties(resolution_hook PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
add_dependencies(e2e_tests resolution_hook)

# A program the launch tests open: it records how it was started.
add_executable(show_probe WIN32 e2e/show_probe.cpp)
target_link_libraries(show_probe PRIVATE dorimo_flags)
# A library the tests plant under the names of system ones: it tells when it
# is loaded.
add_library(marker_library SHARED e2e/marker_library.cpp)
target_link_libraries(marker_library PRIVATE dorimo_flags)
target_link_options(marker_library PRIVATE -Wl,--kill-at)
set_target_properties(marker_library PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# Each run goes through the runner (run-tests.cmd, which names the shards,
# filters and settings of each part): the end-to-end tests in shards, the
# soak run and the passes at another resolution and code page.
foreach(shard 0 1 2)
    test_program(e2e_tests_${shard} e2e${shard})
    set_tests_properties(e2e_tests_${shard} PROPERTIES COST 100)
    time_limit(e2e_tests_${shard} 600)
endforeach()

# The soak run: two minutes here; longer by hand (soak_tests.exe 1800).
add_executable(soak_tests ${test_manifest} e2e/soak.cpp e2e/app_driver.cpp)
target_include_directories(soak_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/e2e)
target_link_libraries(soak_tests PRIVATE test_support dorimo_layout psapi)
add_dependencies(soak_tests dorimo_seam)
test_program(soak_tests soak)
set_tests_properties(soak_tests PROPERTIES COST 200)
time_limit(soak_tests 400)

# The tests that hold at any resolution, once more on a screen of 144 pixels
# per inch.
test_program(e2e_tests_144dpi 144dpi 144)
set_tests_properties(e2e_tests_144dpi PROPERTIES COST 10)
time_limit(e2e_tests_144dpi 120)

# Saves on a real full drive (a small tmpfs mounted for the run, root only;
# without one the runner names the part skipped).
add_test(NAME e2e_tests_full_disk COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/full_disk.sh
         WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
set_tests_properties(e2e_tests_full_disk PROPERTIES COST 20)
time_limit(e2e_tests_full_disk 120)

# The window and its settings under another code page (Windows-1252): Wine
# takes the system's code page from the locale of the Unix environment.
test_program(e2e_tests_cp1252 cp1252)
set_tests_properties(e2e_tests_cp1252 PROPERTIES COST 10)
set_property(TEST e2e_tests_cp1252 APPEND PROPERTY ENVIRONMENT "DORIMO_TEST_LANG=en_US.UTF-8")
time_limit(e2e_tests_cp1252 120)
