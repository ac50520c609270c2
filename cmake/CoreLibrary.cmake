# qvc_core_library(NAME FOLDER SOURCES file.cpp... [DEPS lib...]): a Qt-free static library of FOLDER's
# sources, named one by one.
function(qvc_core_library name folder)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "SOURCES;DEPS")
  list(TRANSFORM arg_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/${folder}/)
  add_library(${name} STATIC ${arg_SOURCES})
  target_link_libraries(${name} PUBLIC ${arg_DEPS})
  qvc_warnings(${name})
  qvc_library_folder(${name} ${folder} ${arg_DEPS})
endfunction()

# qvc_library_folder(NAME FOLDER [lib...]): records that library NAME is built from FOLDER and links the
# project's libraries given, for the include checks below, and gives NAME the include root of FOLDER.
#
# A library's include root is a folder of the build tree, include-roots/NAME, that holds only a link named FOLDER
# to the source folder. It is the library's PUBLIC include directory, and the project root is on no target's
# include path: "engine/X.h" (or "engine/sub/Y.h") resolves in the files of qvc_engine and of what links it,
# and a header of a library that is not linked is not found, so an undeclared dependency does not compile.
function(qvc_library_folder name folder)
  set(root ${CMAKE_BINARY_DIR}/include-roots/${name})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  target_include_directories(${name} PUBLIC $<BUILD_INTERFACE:${root}>)
  set_property(GLOBAL APPEND PROPERTY QVC_LIBRARIES ${name})
  set_property(GLOBAL PROPERTY QVC_FOLDER_OF_${name} ${folder})
  set_property(GLOBAL PROPERTY QVC_DEPS_OF_${name} ${ARGN})
endfunction()

# qvc_include_check() writes, for each recorded folder, the folders its library links (directly or through the
# libraries it links) and adds two tests. "include_dependencies" reads the sources: it fails on any
# '#include "folder/..."' of the project that a folder's files make beyond the folders their library links, and
# names the file. "include_roots" asks the compiler: with each library's own include directories, a header of
# every folder the library links must be found and a header of every other library's folder must not be.
function(qvc_include_check)
  get_property(libraries GLOBAL PROPERTY QVC_LIBRARIES)
  set(text "")
  set(roots "")
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
    string(APPEND text "set(QVC_LIBRARY_OF_${folder} ${library})\n")
    # The include directories the library's files compile with, its own and those of what it links.
    string(APPEND roots "set(QVC_INCLUDES_${library} \"$<TARGET_PROPERTY:${library},INCLUDE_DIRECTORIES>\")\n")
  endforeach()
  string(APPEND text "set(QVC_FOLDERS ${folders})\n")
  file(WRITE ${CMAKE_BINARY_DIR}/include-dependencies.cmake "${text}")
  string(APPEND roots "set(QVC_IMPLICIT_INCLUDES \"${CMAKE_CXX_IMPLICIT_INCLUDE_DIRECTORIES}\")\n")
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/include-roots.cmake CONTENT "${roots}")
  add_test(NAME include_dependencies
    COMMAND ${CMAKE_COMMAND} -DQVC_SOURCE_DIR=${CMAKE_SOURCE_DIR}
      -DQVC_DEPENDENCIES=${CMAKE_BINARY_DIR}/include-dependencies.cmake -P ${CMAKE_SOURCE_DIR}/cmake/CheckIncludes.cmake)
  add_test(NAME include_roots
    COMMAND ${CMAKE_COMMAND} -DQVC_SOURCE_DIR=${CMAKE_SOURCE_DIR} -DQVC_CXX=${CMAKE_CXX_COMPILER}
      -DQVC_DEPENDENCIES=${CMAKE_BINARY_DIR}/include-dependencies.cmake
      -DQVC_INCLUDE_ROOTS=${CMAKE_BINARY_DIR}/include-roots.cmake -DQVC_WORK=${CMAKE_BINARY_DIR}/include-roots-check
      -P ${CMAKE_SOURCE_DIR}/cmake/CheckIncludeRoots.cmake)
  set_tests_properties(include_dependencies include_roots PROPERTIES LABELS core)
endfunction()
