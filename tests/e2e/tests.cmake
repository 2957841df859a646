# End-to-end tests: the real program under Wine, driven through messages.
add_executable(e2e_tests
    e2e/app_driver.cpp
    e2e/floor_test.cpp
    e2e/shell_test.cpp
    e2e/window_test.cpp
    e2e/look_test.cpp)
target_include_directories(e2e_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/e2e)
target_link_libraries(e2e_tests PRIVATE test_support dorimo_layout oleacc oleaut32 ole32)
set_target_properties(e2e_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
add_dependencies(e2e_tests dorimo show_probe dorimo_floor)

# A program the launch tests open: it records how it was started.
add_executable(show_probe WIN32 e2e/show_probe.cpp)
target_link_libraries(show_probe PRIVATE dorimo_flags)
set_target_properties(show_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
add_test(NAME e2e_tests COMMAND e2e_tests)
set_tests_properties(e2e_tests PROPERTIES TIMEOUT 600)

# The soak run: two minutes here; longer by hand (soak_tests.exe 1800).
add_executable(soak_tests e2e/soak.cpp e2e/app_driver.cpp)
target_include_directories(soak_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/e2e)
target_link_libraries(soak_tests PRIVATE gtest dorimo_layout dorimo_flags psapi)
set_target_properties(soak_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
add_dependencies(soak_tests dorimo)
add_test(NAME soak_tests COMMAND soak_tests 120)
set_tests_properties(soak_tests PROPERTIES TIMEOUT 400)

# The tests that hold at any resolution, once more on a screen of 144 pixels
# per inch (a copy of the Wine prefix with that resolution).
add_test(NAME e2e_tests_144dpi
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/at_dpi.sh 144 $<TARGET_FILE:e2e_tests>
                 --gtest_filter=AnyResolution.*)
set_tests_properties(e2e_tests_144dpi PROPERTIES TIMEOUT 120)
