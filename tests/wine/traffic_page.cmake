# The traffic page's GUI test: the floating window's harness with its probe (the page in a window of its
# own, list and dialog texts read in-process), driven by xdotool.
target_sources(kvt_floating_harness PRIVATE wine/gui_probe_win.cpp)
add_test(NAME wine_traffic_page_gui
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wine/traffic-page-gui-test.sh $<TARGET_FILE:kvt_floating_harness>)
set_tests_properties(wine_traffic_page_gui PROPERTIES FIXTURES_REQUIRED wine ENVIRONMENT "${KVT_WINE_ENV}"
                     LABELS wine TIMEOUT 180 RESOURCE_LOCK kvt_floating_harness)
# One harness at a time: it runs as a single instance.
set_tests_properties(wine_floating_gui PROPERTIES RESOURCE_LOCK kvt_floating_harness)
