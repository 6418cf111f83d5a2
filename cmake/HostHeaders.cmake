# Header-only libraries installed on the build machine, for every build: a folder of headers
# (e.g. fast_float) is found among the host's headers and copied into the build, so that a cross
# build or a build on another standard library sees these headers and none of the host's others.
#   thermocrack_host_headers(tc_records fast_float fast_float.h libfast-float-dev)
#   thermocrack_host_headers(tc_heat Eigen Dense libeigen3-dev)        (found under eigen3/)
#   thermocrack_host_headers(tc_heat toml++ toml.hpp libtomlplusplus-dev)
function(thermocrack_host_headers target folder header package)
  find_path(THERMOCRACK_HEADERS_${folder} ${folder}/${header} PATH_SUFFIXES eigen3 NO_CMAKE_FIND_ROOT_PATH)
  if(NOT THERMOCRACK_HEADERS_${folder})
    message(FATAL_ERROR "${folder}/${header} not found: install ${package} (tools/install-deps does)")
  endif()
  file(COPY ${THERMOCRACK_HEADERS_${folder}}/${folder} DESTINATION ${CMAKE_BINARY_DIR}/host-headers)
  target_include_directories(${target} SYSTEM PRIVATE ${CMAKE_BINARY_DIR}/host-headers)
endfunction()
