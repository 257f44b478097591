# Tests of the telecom outputs, TTL output and 1PPS sync, command and diagnostics dialogs. The
# dialog tests run them against the simulated unit with a real monitor thread.
add_library(brevik2_output_dialogs_test_support STATIC
  ${CMAKE_CURRENT_LIST_DIR}/monitored_sim_session.cpp)
target_link_libraries(brevik2_output_dialogs_test_support
  PUBLIC brevik2_gui_test_support brevik2_sim Qt6::Test)

brevik2_add_qt_test(brevik2_output_parameters_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/output_parameters_test.cpp
  LIBS brevik2_dialogs
  LABELS gui unit)

foreach(name telecom_outputs_dialog command_dialog test_diagnostics_dialog ttl_pps_dialogs)
  brevik2_add_qt_test(brevik2_${name}_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/${name}_test.cpp
    LIBS brevik2_dialogs brevik2_output_dialogs_test_support
    LABELS gui pty)
endforeach()
