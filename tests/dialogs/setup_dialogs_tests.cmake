# Serial setup with the instrument scan, monitoring options and unit initialization.
brevik2_add_test(brevik2_setup_values_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/setup_values_test.cpp
  LIBS brevik2_dialogs brevik2_test_support
  LABELS unit)

foreach(dialog serial_setup_dialog monitoring_options_dialog unit_initialization_dialog)
  brevik2_add_qt_test(brevik2_${dialog}_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/${dialog}_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/setup_dialog_fixture.h
    LABELS gui)
endforeach()

# Detect and the unit initialization buttons through the real monitor thread and a simulated
# unit. A full-length scan with the instrument's time-outs is left to the engine's scan tests:
# through the dialog it would only take longer.
brevik2_add_qt_test(brevik2_setup_dialogs_sim_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/setup_dialogs_sim_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/setup_dialog_fixture.h
  LIBS brevik2_sim
  LABELS "gui;pty")
