# End-to-end tests: the real program under Wine, driven through messages.
add_executable(e2e_tests
    e2e/app_driver.cpp
    e2e/floor_test.cpp
    e2e/shell_test.cpp
    e2e/window_test.cpp
    e2e/look_test.cpp
    e2e/outside_test.cpp)
target_include_directories(e2e_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/e2e)
target_link_libraries(e2e_tests PRIVATE test_support dorimo_layout oleacc oleaut32 ole32)
set_target_properties(e2e_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
add_dependencies(e2e_tests dorimo show_probe dorimo_floor)

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
set_target_properties(show_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
# Each run under Wine has a prefix and a display of its own (own_prefix.sh),
# so that they go side by side: the end-to-end tests in shards, the soak run
# and the pass at another resolution.
set(own_prefix ${CMAKE_CURRENT_SOURCE_DIR}/e2e/own_prefix.sh)
set(e2e_shards 3)
math(EXPR last_shard "${e2e_shards} - 1")
foreach(shard RANGE ${last_shard})
    add_test(NAME e2e_tests_${shard} COMMAND bash ${own_prefix} e2e${shard} 0 $<TARGET_FILE:e2e_tests>)
    set_tests_properties(e2e_tests_${shard} PROPERTIES TIMEOUT 600 COST 100
        ENVIRONMENT "GTEST_TOTAL_SHARDS=${e2e_shards};GTEST_SHARD_INDEX=${shard}")
endforeach()

# The soak run: two minutes here; longer by hand (soak_tests.exe 1800).
add_executable(soak_tests e2e/soak.cpp e2e/app_driver.cpp)
target_include_directories(soak_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/e2e)
target_link_libraries(soak_tests PRIVATE gtest dorimo_layout dorimo_flags psapi)
set_target_properties(soak_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
add_dependencies(soak_tests dorimo)
add_test(NAME soak_tests COMMAND bash ${own_prefix} soak 0 $<TARGET_FILE:soak_tests> 120)
set_tests_properties(soak_tests PROPERTIES TIMEOUT 400 COST 200)

# The tests that hold at any resolution, once more on a screen of 144 pixels
# per inch.
add_test(NAME e2e_tests_144dpi
         COMMAND bash ${own_prefix} 144dpi 144 $<TARGET_FILE:e2e_tests> --gtest_filter=AnyResolution.*)
set_tests_properties(e2e_tests_144dpi PROPERTIES TIMEOUT 120 COST 10)

# Saves on a real full drive (a small tmpfs mounted for the run; root only).
add_test(NAME e2e_tests_full_disk
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/full_disk.sh $<TARGET_FILE:e2e_tests>)
set_tests_properties(e2e_tests_full_disk PROPERTIES TIMEOUT 120 SKIP_RETURN_CODE 77 COST 20)

# The window and its settings under another code page (Windows-1252): Wine
# takes the code page from the locale of the Unix environment.
add_test(NAME e2e_tests_cp1252
         COMMAND bash ${own_prefix} cp1252 0 $<TARGET_FILE:e2e_tests> --gtest_filter=OtherCodePage.*)
set_tests_properties(e2e_tests_cp1252 PROPERTIES TIMEOUT 120 COST 10
    ENVIRONMENT "DORIMO_TEST_LANG=en_US.UTF-8;DORIMO_TEST_CODE_PAGE=1252")
