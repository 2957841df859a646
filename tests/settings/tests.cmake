# Settings-file tests; the profile functions' conformance suite runs against
# the portable functions natively and against the Windows ones under Wine.
add_executable(settings_tests ${test_manifest}
    settings/profile_conformance_test.cpp
    settings/settings_test.cpp
    settings/settings_path_test.cpp)
target_include_directories(settings_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/core)
target_link_libraries(settings_tests PRIVATE dorimo_settings test_support)
test_program(settings_tests settings)

if(WIN32)
    # Saves the initial settings beside itself; the path tests run copies of
    # it under other names and in other folders.
    add_executable(settings_path_probe settings/path_probe.cpp ${test_manifest})
    target_link_libraries(settings_path_probe PRIVATE dorimo_shell dorimo_settings)
    add_dependencies(settings_tests settings_path_probe)
endif()

if(WIN32)
    # The whole-file save's steps, made to fail one by one, on real files.
    target_sources(settings_tests PRIVATE settings/save_test.cpp)
endif()
