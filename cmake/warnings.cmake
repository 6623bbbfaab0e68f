# Warnings are errors for our own code; third-party code never goes through this.
function(vv_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Werror -Wshadow -Wnon-virtual-dtor -Wcast-align
    -Wmissing-declarations -Wimplicit-fallthrough)
  # GCC 12 reports -Wrestrict on std::string concatenation inlined at -O3
  # (GCC bug 105329, a false positive in libstdc++ itself).
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
endfunction()
