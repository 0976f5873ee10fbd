# Our own targets build with these warnings; third-party code is not compiled
# here, so nothing else needs an exemption. They are errors where we ask for
# it (the presets and CI): a packager's newer compiler or own flags may warn
# where ours does not, and that should not stop the build.
option(VOSTREL_WERROR "Treat warnings on our own targets as errors" OFF)

function(vostrel_strict_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
    -Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual
    $<$<BOOL:${VOSTREL_WERROR}>:-Werror>)
endfunction()
