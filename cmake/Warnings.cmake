# Per-target warnings; CI turns them into errors.
function(pelorus_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wnon-virtual-dtor
                                           -Woverloaded-virtual)
  if(PELORUS_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# Test programs run briefly and are rebuilt at every change: outside debug builds they are
# optimised lightly, which compiles in half the time of -O2 and keeps the checks' behaviour.
function(pelorus_light_optimisation target)
  target_compile_options(${target} PRIVATE $<$<NOT:$<CONFIG:Debug>>:-Og>)
endfunction()
