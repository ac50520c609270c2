# Run by the test "include_roots" (see qvc_include_check in CoreLibrary.cmake): plants includes in small files
# and preprocesses them with each library's own include directories, as its sources are compiled. A header of
# every folder the library links must be found; a header of every other library's folder must fail as not
# found, which is what an undeclared dependency meets when it is compiled.
cmake_minimum_required(VERSION 3.25)
include(${QVC_DEPENDENCIES})
include(${QVC_INCLUDE_ROOTS})
file(REMOVE_RECURSE ${QVC_WORK})
file(MAKE_DIRECTORY ${QVC_WORK})

# One header of each folder stands for the folder (its subfolders' headers resolve through the same root).
foreach(folder IN LISTS QVC_FOLDERS)
  file(GLOB_RECURSE headers RELATIVE ${QVC_SOURCE_DIR} ${QVC_SOURCE_DIR}/${folder}/*.h)
  if(NOT headers)
    message(FATAL_ERROR "${folder}/ has no header to plant")
  endif()
  list(SORT headers)
  list(GET headers 0 header_of_${folder})
endforeach()

set(findings 0)
set(planted 0)
foreach(folder IN LISTS QVC_FOLDERS)
  set(library ${QVC_LIBRARY_OF_${folder}})
  set(flags -std=c++20 -E)
  # As CMake writes them: the compiler's own directories are left out.
  foreach(directory IN LISTS QVC_INCLUDES_${library})
    if(NOT directory IN_LIST QVC_IMPLICIT_INCLUDES)
      list(APPEND flags -I${directory})
    endif()
  endforeach()

  set(text "")
  foreach(linked IN LISTS QVC_ALLOWED_${folder})
    string(APPEND text "#include \"${header_of_${linked}}\"\n")
  endforeach()
  file(WRITE ${QVC_WORK}/${library}.cpp "${text}")
  execute_process(COMMAND ${QVC_CXX} ${flags} ${QVC_WORK}/${library}.cpp -o ${QVC_WORK}/${library}.i
    RESULT_VARIABLE status ERROR_VARIABLE errors)
  if(NOT status EQUAL 0)
    message("${library}: the headers of the folders it links are not found:\n${errors}")
    math(EXPR findings "${findings} + 1")
  endif()

  foreach(other IN LISTS QVC_FOLDERS)
    if(other IN_LIST QVC_ALLOWED_${folder})
      continue()
    endif()
    set(header ${header_of_${other}})
    file(WRITE ${QVC_WORK}/${library}-${other}.cpp "#include \"${header}\"\n")
    execute_process(COMMAND ${QVC_CXX} ${flags} ${QVC_WORK}/${library}-${other}.cpp -o ${QVC_WORK}/${library}-${other}.i
      RESULT_VARIABLE status ERROR_VARIABLE errors)
    math(EXPR planted "${planted} + 1")
    string(FIND "${errors}" "${header}" named)
    if(status EQUAL 0)
      message("${library}: \"${header}\" is found, but ${library} does not link the library of ${other}/")
      math(EXPR findings "${findings} + 1")
    elseif(named EQUAL -1 OR NOT errors MATCHES "No such file or directory|file not found")
      message("${library}: \"${header}\" failed for another reason than not being found:\n${errors}")
      math(EXPR findings "${findings} + 1")
    endif()
  endforeach()
endforeach()
if(findings GREATER 0)
  message(FATAL_ERROR "${findings} library include root(s) expose too much or too little")
endif()
list(LENGTH QVC_FOLDERS count)
message("include roots: ${count} libraries find the headers of what they link; ${planted} planted includes of "
  "libraries they do not link are not found")
