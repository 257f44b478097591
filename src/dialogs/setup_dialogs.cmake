# Serial setup with the instrument scan, monitoring options and unit initialization.
target_sources(brevik2_dialogs PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/entry_list.cpp
  ${CMAKE_CURRENT_LIST_DIR}/entry_list.h
  ${CMAKE_CURRENT_LIST_DIR}/field_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/field_text.h
  ${CMAKE_CURRENT_LIST_DIR}/monitoring_options_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/monitoring_options_dialog.h
  ${CMAKE_CURRENT_LIST_DIR}/scanning_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/scanning_dialog.h
  ${CMAKE_CURRENT_LIST_DIR}/serial_setup_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/serial_setup_dialog.h
  ${CMAKE_CURRENT_LIST_DIR}/unit_initialization_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/unit_initialization_dialog.h
  ${CMAKE_CURRENT_LIST_DIR}/unit_request_parameters.cpp
  ${CMAKE_CURRENT_LIST_DIR}/unit_request_parameters.h
)
