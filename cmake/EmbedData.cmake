# Writes OUT, a C++ source holding the text of every TOML table of the data folder DATA, so that
# the program reads the same sourced tables as the Python tools without looking for files at run
# time. Run as: cmake -DDATA=folder -DOUT=file.cpp -P EmbedData.cmake
file(GLOB tables RELATIVE ${DATA} ${DATA}/*.toml)
list(SORT tables)
set(text "// Written by cmake/EmbedData.cmake from the data folder: do not edit.\n#include \"prepare/data_tables.hpp\"\n\nnamespace tc::prepare {\n\nconst std::vector<DataTable>& DataTables() {\n    static const std::vector<DataTable> tables = {\n")
foreach(t ${tables})
  file(READ ${DATA}/${t} body)
  string(APPEND text "        {\"${t}\", R\"tcdata(${body})tcdata\"},\n")
endforeach()
string(APPEND text "    };\n    return tables;\n}\n\n}  // namespace tc::prepare\n")
file(WRITE ${OUT}.new "${text}")
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different ${OUT}.new ${OUT})
file(REMOVE ${OUT}.new)
