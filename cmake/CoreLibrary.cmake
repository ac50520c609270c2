# qvc_core_library(NAME FOLDER SOURCES file.cpp... [DEPS lib...]): a Qt-free static library of FOLDER's
# sources, named one by one.
function(qvc_core_library name folder)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "SOURCES;DEPS")
  list(TRANSFORM arg_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/${folder}/)
  add_library(${name} STATIC ${arg_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${arg_DEPS})
  qvc_warnings(${name})
endfunction()
