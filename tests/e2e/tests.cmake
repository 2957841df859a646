# End-to-end tests: the real program under Wine, driven through messages.
add_executable(e2e_tests
    e2e/app_driver.cpp
    e2e/shell_test.cpp
    e2e/window_test.cpp)
target_include_directories(e2e_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/e2e)
target_link_libraries(e2e_tests PRIVATE test_support dorimo_layout)
set_target_properties(e2e_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
add_dependencies(e2e_tests dorimo)
add_test(NAME e2e_tests COMMAND e2e_tests)
set_tests_properties(e2e_tests PROPERTIES TIMEOUT 600)
