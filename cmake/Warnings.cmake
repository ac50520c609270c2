# Warnings for every target of the project; third-party headers are included as system headers.
set(QVC_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align -Woverloaded-virtual
    -Wnull-dereference -Wimplicit-fallthrough)
function(qvc_warnings target)
  target_compile_options(${target} PRIVATE ${QVC_WARNINGS})
endfunction()
