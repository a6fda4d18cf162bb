# Warnings every target of ours is compiled with.
add_library(vortalis_warnings INTERFACE)
target_compile_options(vortalis_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual
  -Wcast-align -Wnull-dereference -Wformat=2 -Wimplicit-fallthrough)
if(VORTALIS_WERROR)
  target_compile_options(vortalis_warnings INTERFACE -Werror)
endif()
