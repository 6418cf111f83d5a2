# The sourced tables of data/ compiled into the program: src/core/data_tables.hpp's DataTable(name)
# returns the text of data/NAME.toml, so the program needs no data files beside it at run time,
# while the Python tools read the same files.
file(GLOB data_tables CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/data/*.toml)
set(data_entries "")
foreach(path ${data_tables})
  get_filename_component(table ${path} NAME_WE)
  file(READ ${path} text)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${path})
  string(APPEND data_entries "    {\"${table}\", R\"data_table(${text})data_table\"},\n")
endforeach()
configure_file(${PROJECT_SOURCE_DIR}/cmake/data_tables.cpp.in ${CMAKE_BINARY_DIR}/generated/data_tables.cpp @ONLY)
add_library(tc_data STATIC ${CMAKE_BINARY_DIR}/generated/data_tables.cpp)
target_include_directories(tc_data PUBLIC ${PROJECT_SOURCE_DIR}/src)
