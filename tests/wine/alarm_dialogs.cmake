# The alarm and settings dialogs' GUI test: the harness program (the dialogs beside the floating window,
# on an engine with fake system tables) in a directory of its own, with the shipped configuration, the
# skin library and an empty tmp\, driven by xdotool.
set(KVT_ALARM_DIALOGS_DIR ${CMAKE_BINARY_DIR}/alarm-dialogs-harness)
add_executable(kvt_alarm_dialogs_harness wine/kvt_alarm_dialogs_harness_win.cpp)
set_target_properties(kvt_alarm_dialogs_harness PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KVT_ALARM_DIALOGS_DIR})
target_include_directories(kvt_alarm_dialogs_harness PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_options(kvt_alarm_dialogs_harness PRIVATE ${KVT_WARNINGS})
target_link_libraries(kvt_alarm_dialogs_harness PRIVATE kvt_core_os)
kvt_add_program_resources(kvt_alarm_dialogs_harness)
kvt_copy_config(kvt_alarm_dialogs_harness)
kvt_copy_skin_library(kvt_alarm_dialogs_harness)
add_custom_command(TARGET kvt_alarm_dialogs_harness POST_BUILD
                   COMMAND ${CMAKE_COMMAND} -E make_directory ${KVT_ALARM_DIALOGS_DIR}/tmp)
add_test(NAME wine_alarm_dialogs_gui
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wine/alarm-dialogs-gui-test.sh $<TARGET_FILE:kvt_alarm_dialogs_harness>)
set_tests_properties(wine_alarm_dialogs_gui PROPERTIES FIXTURES_REQUIRED wine ENVIRONMENT "${KVT_WINE_ENV}"
                     LABELS wine TIMEOUT 180)
