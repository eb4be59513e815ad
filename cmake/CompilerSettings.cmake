# Warnings and sanitizers shared by every target of the project.
add_library(zipbuilder_warnings INTERFACE)
target_compile_options(zipbuilder_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)

if(ZIPBUILDER_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

if(WIN32)
  # Everything static, so that no libgcc/libstdc++/winpthread DLL has to be found under Wine or Windows.
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()
