# Compiler settings shared by every target.

if(MSVC)
  add_compile_options(/W4 /source-charset:utf-8 /execution-charset:.932)
  add_compile_definitions(_CRT_SECURE_NO_WARNINGS)
else()
  add_compile_options(-Wall -Wextra)
  # Every text the program shows is cp932: Japanese literals in the UTF-8
  # sources become cp932 bytes in the binary. Clang cannot do this; its
  # builds (fuzzing only) keep UTF-8 literals, which changes no logic.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    add_compile_options(-finput-charset=UTF-8 -fexec-charset=CP932)
  endif()
endif()

if(BRV_SIM)
  add_compile_definitions(BRV_SIM=1)
endif()

if(MINGW)
  # No libstdc++/libgcc/winpthread DLLs beside the executables.
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()

# native-asan preset
option(BRV_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(BRV_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# Source folder of the resource script, so the simulation's dialog manager can
# read the real templates.
set(BRV_RESOURCE_SCRIPT ${CMAKE_SOURCE_DIR}/resources/brelvane.rc)
