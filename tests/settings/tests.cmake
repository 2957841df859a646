# Settings-file tests; the profile functions' conformance suite runs against
# the portable functions natively and against the Windows ones under Wine.
add_executable(settings_tests
    settings/profile_conformance_test.cpp)
target_include_directories(settings_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/core)
target_link_libraries(settings_tests PRIVATE dorimo_settings test_support)
add_test(NAME settings_tests COMMAND settings_tests)
