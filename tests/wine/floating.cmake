# The floating window's GUI test: the harness program (the window on an engine with fake system tables)
# in a directory of its own, with the shipped configuration and an empty tmp\, driven by xdotool.
set(KVT_FLOATING_DIR ${CMAKE_BINARY_DIR}/floating-harness)
add_executable(kvt_floating_harness wine/kvt_floating_harness_win.cpp)
set_target_properties(kvt_floating_harness PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KVT_FLOATING_DIR})
target_include_directories(kvt_floating_harness PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_options(kvt_floating_harness PRIVATE ${KVT_WARNINGS})
target_link_libraries(kvt_floating_harness PRIVATE kvt_core_os)
kvt_add_program_resources(kvt_floating_harness)
kvt_add_program_info(kvt_floating_harness "进程流量监控 GUI harness")
# The skinned windows (main window, dialogs) load the skin library from beside the program.
kvt_copy_skin_library(kvt_floating_harness)
kvt_copy_config(kvt_floating_harness)
add_custom_command(TARGET kvt_floating_harness POST_BUILD COMMAND ${CMAKE_COMMAND} -E make_directory ${KVT_FLOATING_DIR}/tmp)
add_test(NAME wine_floating_gui
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wine/floating-gui-test.sh $<TARGET_FILE:kvt_floating_harness>)
set_tests_properties(wine_floating_gui PROPERTIES FIXTURES_REQUIRED wine ENVIRONMENT "${KVT_WINE_ENV}"
                     LABELS wine TIMEOUT 120)
