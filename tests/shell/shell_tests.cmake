# The window's pure parts: placement arithmetic, panel read-outs, snapshot report, frame rules.
brevik2_add_test(brevik2_shell_format_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/frame_rules_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/panel_readouts_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/snapshot_report_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/window_placement_test.cpp
  LIBS brevik2_shell
  LABELS unit)

# Widgets on the offscreen platform.
brevik2_add_qt_test(brevik2_shell_frame_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/main_frame_test.cpp
  LIBS brevik2_shell
  LABELS gui)
brevik2_add_qt_test(brevik2_shell_panel_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/unit_status_panel_test.cpp
  LIBS brevik2_shell
  LABELS gui)
brevik2_add_qt_test(brevik2_shell_snapshot_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/clock_snapshot_test.cpp
  LIBS brevik2_shell
  LABELS gui)

# The real program under Xvfb against the simulator, from start to the File menu's Exit.
add_test(NAME brevik2_window_under_xvfb
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/brevik2_window_test.sh
          $<TARGET_FILE:Brevik2> $<TARGET_FILE:brevik2-sim> ${CMAKE_CURRENT_BINARY_DIR})
set_tests_properties(brevik2_window_under_xvfb PROPERTIES LABELS gui TIMEOUT 120)
