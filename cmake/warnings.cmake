# Warnings are errors for our own code; third-party code never goes through this.
function(vv_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Werror -Wshadow -Wnon-virtual-dtor -Wcast-align
    -Wmissing-declarations -Wimplicit-fallthrough)
endfunction()
