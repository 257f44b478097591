# Telecom outputs, TTL output and 1PPS sync, the command dialog, test and diagnostics.
target_sources(brevik2_dialogs PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/command_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/command_dialog.h
  ${CMAKE_CURRENT_LIST_DIR}/diagnostics_parameters.cpp
  ${CMAKE_CURRENT_LIST_DIR}/diagnostics_parameters.h
  ${CMAKE_CURRENT_LIST_DIR}/pps_sync_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pps_sync_dialog.h
  ${CMAKE_CURRENT_LIST_DIR}/telecom_controls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/telecom_controls.h
  ${CMAKE_CURRENT_LIST_DIR}/telecom_outputs_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/telecom_outputs_dialog.h
  ${CMAKE_CURRENT_LIST_DIR}/test_diagnostics_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_diagnostics_dialog.h
  ${CMAKE_CURRENT_LIST_DIR}/ttl_output_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ttl_output_dialog.h
)
