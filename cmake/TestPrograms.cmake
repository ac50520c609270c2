# qvc_test_program(TARGET): what every test program of the default (RelWithDebInfo, GCC) build shares.
# - Line tables only (-g1): a failure's backtrace still names file and line, and the tests compile a third faster
#   than with full debug information. Their code is optimised as the program's is, and the libraries they test
#   keep full debug information. QVC_TESTS_FULL_DEBUG_INFO=ON keeps -g for debugging a test.
# - GNU gold links them in half the time of the default linker; the program itself keeps the default one.
option(QVC_TESTS_FULL_DEBUG_INFO "Build the tests with full debug information" OFF)
function(qvc_test_program target)
  if(NOT QVC_TESTS_FULL_DEBUG_INFO)
    target_compile_options(${target} PRIVATE $<$<CONFIG:RelWithDebInfo>:-g1>)
  endif()
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
      target_link_options(${target} PRIVATE -fuse-ld=gold)
    endif()
  endif()
endfunction()
