# Our own targets build with warnings as errors; third-party code is not
# compiled here, so nothing else needs an exemption.
function(vostrel_strict_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
    -Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual -Werror)
endfunction()
