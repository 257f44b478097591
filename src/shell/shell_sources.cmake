# The application shell: start-up and exit, the main frame, the unit status panel and the
# snapshot report.
target_sources(brevik2_shell PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/about_box.cpp
  ${CMAKE_CURRENT_LIST_DIR}/about_box.h
  ${CMAKE_CURRENT_LIST_DIR}/brevik2_application.cpp
  ${CMAKE_CURRENT_LIST_DIR}/brevik2_application.h
  ${CMAKE_CURRENT_LIST_DIR}/c_brevik2_view.cpp
  ${CMAKE_CURRENT_LIST_DIR}/c_brevik2_view.h
  ${CMAKE_CURRENT_LIST_DIR}/c_main_frame.cpp
  ${CMAKE_CURRENT_LIST_DIR}/c_main_frame.h
  ${CMAKE_CURRENT_LIST_DIR}/clock_snapshot.cpp
  ${CMAKE_CURRENT_LIST_DIR}/clock_snapshot.h
  ${CMAKE_CURRENT_LIST_DIR}/command_ids.h
  ${CMAKE_CURRENT_LIST_DIR}/emblem.cpp
  ${CMAKE_CURRENT_LIST_DIR}/emblem.h
  ${CMAKE_CURRENT_LIST_DIR}/frame_dialogs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frame_rules.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frame_rules.h
  ${CMAKE_CURRENT_LIST_DIR}/local_time.cpp
  ${CMAKE_CURRENT_LIST_DIR}/local_time.h
  ${CMAKE_CURRENT_LIST_DIR}/lock_key_state.h
  ${CMAKE_CURRENT_LIST_DIR}/outer_rect_placer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/outer_rect_placer.h
  ${CMAKE_CURRENT_LIST_DIR}/panel_readouts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/panel_readouts.h
  ${CMAKE_CURRENT_LIST_DIR}/snapshot_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/snapshot_file.h
  ${CMAKE_CURRENT_LIST_DIR}/snapshot_report.cpp
  ${CMAKE_CURRENT_LIST_DIR}/snapshot_report.h
  ${CMAKE_CURRENT_LIST_DIR}/unit_status_panel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/unit_status_panel.h
  ${CMAKE_CURRENT_LIST_DIR}/window_geometry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window_geometry.h
  ${CMAKE_CURRENT_LIST_DIR}/window_placement.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window_placement.h
)
target_link_libraries(brevik2_shell PRIVATE brevik2_version)

# The lock key indicators ask the X server where there is one; elsewhere they stay grey.
find_package(X11 QUIET)
if(X11_FOUND AND X11_Xkb_FOUND AND TARGET X11::X11)
  target_sources(brevik2_shell PRIVATE ${CMAKE_CURRENT_LIST_DIR}/lock_key_state_x11.cpp)
  target_link_libraries(brevik2_shell PRIVATE X11::X11)
else()
  target_sources(brevik2_shell PRIVATE ${CMAKE_CURRENT_LIST_DIR}/lock_key_state_none.cpp)
endif()
