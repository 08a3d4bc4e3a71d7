# Warnings for the project's own targets.
function(orvanel_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wno-unused-parameter)
  if(ORVANEL_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
