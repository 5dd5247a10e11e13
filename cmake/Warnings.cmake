# Project-wide warning set; warnings are errors.
function(dodavev_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                           -Wno-sign-conversion -Wnon-virtual-dtor -Werror)
  # GCC 12 reports a false -Wrestrict overlap inside libstdc++'s string concatenation
  # ("#" + std::to_string(code)) at -O3 (GCC bug 105329); no code of ours is involved.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
endfunction()
