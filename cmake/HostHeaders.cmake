# Header-only libraries installed on the build machine, for every build: a folder of headers
# (e.g. fast_float) is found among the host's headers and copied into the build, so that a cross
# build or a build on another standard library sees these headers and none of the host's others.
function(thermocrack_host_headers target folder header package)
  find_path(THERMOCRACK_HEADERS_${folder} ${folder}/${header} NO_CMAKE_FIND_ROOT_PATH)
  if(NOT THERMOCRACK_HEADERS_${folder})
    message(FATAL_ERROR "${folder}/${header} not found: install ${package} (tools/install-deps does)")
  endif()
  file(COPY ${THERMOCRACK_HEADERS_${folder}}/${folder} DESTINATION ${CMAKE_BINARY_DIR}/host-headers)
  target_include_directories(${target} SYSTEM PRIVATE ${CMAKE_BINARY_DIR}/host-headers)
endfunction()
