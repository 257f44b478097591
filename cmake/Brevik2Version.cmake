# brevik2_version: an interface target whose users see "brevik2_version.h", the one place the
# programs learn their version from.
set(BREVIK2_VERSION_HEADER "${PROJECT_BINARY_DIR}/generated/brevik2_version.h")
add_custom_target(brevik2_version_header
  COMMAND ${CMAKE_COMMAND} -DVERSION=${PROJECT_VERSION} -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
          -DOUTPUT=${BREVIK2_VERSION_HEADER} -P ${PROJECT_SOURCE_DIR}/cmake/write_version_header.cmake
  BYPRODUCTS ${BREVIK2_VERSION_HEADER}
  COMMENT "Version header"
  VERBATIM)
add_library(brevik2_version INTERFACE)
target_include_directories(brevik2_version INTERFACE ${PROJECT_BINARY_DIR}/generated)
add_dependencies(brevik2_version brevik2_version_header)
