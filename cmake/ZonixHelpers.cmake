# Warnings for zonix's own targets (not for GoogleTest or other imports),
# as errors: a new warning stops the build where it was written.
function(zonix_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()
