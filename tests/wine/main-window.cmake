# The main window's GUI test: the floating window's harness opens it (see floating.cmake).
add_test(NAME wine_main_window_gui
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wine/main-window-gui-test.sh $<TARGET_FILE:kvt_floating_harness>)
set_tests_properties(wine_main_window_gui PROPERTIES FIXTURES_REQUIRED wine ENVIRONMENT "${KVT_WINE_ENV}"
                     LABELS wine TIMEOUT 120)
