# Per-target warnings; CI turns them into errors.
function(pelorus_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wnon-virtual-dtor
                                           -Woverloaded-virtual)
  if(PELORUS_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
