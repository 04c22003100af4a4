# The alarm pop-ups' GUI test: the floating window's harness raises alarms and asks for the
# high-bandwidth pop-up (see floating.cmake); one harness at a time.
add_test(NAME wine_alarm_popup_gui
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wine/alarm-popup-gui-test.sh $<TARGET_FILE:kvt_floating_harness>)
set_tests_properties(wine_alarm_popup_gui PROPERTIES FIXTURES_REQUIRED wine ENVIRONMENT "${KVT_WINE_ENV}"
                     LABELS wine TIMEOUT 180 RESOURCE_LOCK kvt_floating_harness)
