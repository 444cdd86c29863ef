# Warnings for zonix's own targets (not for GoogleTest or other imports).
function(zonix_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()
