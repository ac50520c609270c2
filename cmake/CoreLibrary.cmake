# qvc_core_library(NAME FOLDER SOURCES file.cpp... [DEPS lib...]): a Qt-free static library of FOLDER's
# sources, named one by one.
function(qvc_core_library name folder)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "SOURCES;DEPS")
  list(TRANSFORM arg_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/${folder}/)
  add_library(${name} STATIC ${arg_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${arg_DEPS})
  qvc_warnings(${name})
  qvc_library_folder(${name} ${folder} ${arg_DEPS})
endfunction()

# qvc_library_folder(NAME FOLDER [lib...]): records that library NAME is built from FOLDER and links the
# project's libraries given, for the include check below.
function(qvc_library_folder name folder)
  set_property(GLOBAL APPEND PROPERTY QVC_LIBRARIES ${name})
  set_property(GLOBAL PROPERTY QVC_FOLDER_OF_${name} ${folder})
  set_property(GLOBAL PROPERTY QVC_DEPS_OF_${name} ${ARGN})
endfunction()

# Every library still sees the whole source tree through its include path, so an include of a folder the
# library does not link would compile. qvc_include_check() writes, for each recorded folder, the folders its
# library links (directly or through the libraries it links) and adds the test "include_dependencies", which
# fails on any '#include "folder/..."' of the project that such a folder's files make beyond them.
function(qvc_include_check)
  get_property(libraries GLOBAL PROPERTY QVC_LIBRARIES)
  set(text "")
  set(folders "")
  foreach(library IN LISTS libraries)
    get_property(folder GLOBAL PROPERTY QVC_FOLDER_OF_${library})
    list(APPEND folders ${folder})
    # The folders of every library reachable from this one (an INTERFACE library such as qvc_core stands for
    # the libraries it lists).
    set(pending ${library})
    set(seen "")
    set(allowed ${folder})
    while(pending)
      list(POP_FRONT pending current)
      if(current IN_LIST seen)
        continue()
      endif()
      list(APPEND seen ${current})
      get_property(currentFolder GLOBAL PROPERTY QVC_FOLDER_OF_${current})
      if(currentFolder)
        list(APPEND allowed ${currentFolder})
      endif()
      get_property(deps GLOBAL PROPERTY QVC_DEPS_OF_${current})
      if(NOT deps AND TARGET ${current})
        get_target_property(type ${current} TYPE)
        if(type STREQUAL "INTERFACE_LIBRARY")
          get_target_property(deps ${current} INTERFACE_LINK_LIBRARIES)
        endif()
      endif()
      foreach(dep IN LISTS deps)
        if(dep MATCHES "^qvc_")
          list(APPEND pending ${dep})
        endif()
      endforeach()
    endwhile()
    list(REMOVE_DUPLICATES allowed)
    string(APPEND text "set(QVC_ALLOWED_${folder} ${allowed})\n")
  endforeach()
  string(APPEND text "set(QVC_FOLDERS ${folders})\n")
  file(WRITE ${CMAKE_BINARY_DIR}/include-dependencies.cmake "${text}")
  add_test(NAME include_dependencies
    COMMAND ${CMAKE_COMMAND} -DQVC_SOURCE_DIR=${CMAKE_SOURCE_DIR}
      -DQVC_DEPENDENCIES=${CMAKE_BINARY_DIR}/include-dependencies.cmake -P ${CMAKE_SOURCE_DIR}/cmake/CheckIncludes.cmake)
  set_tests_properties(include_dependencies PROPERTIES LABELS core)
endfunction()
