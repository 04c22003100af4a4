# The GUI tests: one harness program (the program's windows on an engine with fake system tables, or
# the skin's message box and frame) in a directory of its own with the shipped configuration, the skin
# library and an empty tmp\, driven by xdotool and by commands on its standard input. One test at a
# time: they share the harness's settings file, the single instance and the display's mouse.
set(KVT_GUI_HARNESS_DIR ${CMAKE_BINARY_DIR}/gui-harness)
add_executable(kvt_gui_harness wine/kvt_gui_harness_win.cpp)
set_target_properties(kvt_gui_harness PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KVT_GUI_HARNESS_DIR})
target_include_directories(kvt_gui_harness PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_options(kvt_gui_harness PRIVATE -municode)
target_compile_options(kvt_gui_harness PRIVATE ${KVT_WARNINGS})
target_link_libraries(kvt_gui_harness PRIVATE kvt_core_os)
kvt_add_program_resources(kvt_gui_harness)
kvt_add_program_info(kvt_gui_harness "进程流量监控 GUI harness")
kvt_copy_skin_library(kvt_gui_harness)
kvt_copy_config(kvt_gui_harness)
add_custom_command(TARGET kvt_gui_harness POST_BUILD
                   COMMAND ${CMAKE_COMMAND} -E make_directory ${KVT_GUI_HARNESS_DIR}/tmp)
foreach(test skin program alarm-popup traffic-page)
  string(REPLACE "-" "_" name "wine_${test}_gui")
  add_test(NAME ${name} COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wine/${test}-gui-test.sh
                                $<TARGET_FILE:kvt_gui_harness>)
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine ENVIRONMENT "${KVT_WINE_ENV}" LABELS wine
                                          TIMEOUT 300 RESOURCE_LOCK kvt_gui_harness)
endforeach()
