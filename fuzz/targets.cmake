# The fuzz targets: their bodies are plain functions (fuzz_targets.h), built into the libFuzzer
# programs of fuzz/CMakeLists.txt and into the regression test of the main build, which replays
# tests/fuzz_regressions/ and the seed corpus through them without libFuzzer.
set(BREVIK2_FUZZ_DIR ${CMAKE_CURRENT_LIST_DIR})
set(BREVIK2_FUZZ_TARGET_NAMES
  status_records
  unit_status_check
  clock_version_counters
  event_log
  reply_lines
  settings_file
  telemetry_file_name
)
if(NOT WIN32)
  list(APPEND BREVIK2_FUZZ_TARGET_NAMES telnet_com_port)  # network ports: POSIX only so far
endif()
set(BREVIK2_FUZZ_SOURCES ${BREVIK2_FUZZ_DIR}/fuzz_targets.cpp)
foreach(name IN LISTS BREVIK2_FUZZ_TARGET_NAMES)
  list(APPEND BREVIK2_FUZZ_SOURCES ${BREVIK2_FUZZ_DIR}/${name}_fuzz.cpp)
endforeach()
