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
  # The oldest Windows each build starts on: 2000 for 32-bit, XP x64 and
  # Server 2003 for 64-bit. What the headers mark as newer is hidden, so a
  # call to it is a compile error (the import check in tests/imports catches
  # what they leave unmarked); the PE header's subsystem version lets that
  # system's loader start the file.
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(BRV_WINDOWS_FLOOR 0x0502)
    set(BRV_SUBSYSTEM_VERSION 5 2)
  else()
    set(BRV_WINDOWS_FLOOR 0x0500)
    set(BRV_SUBSYSTEM_VERSION 5 0)
  endif()
  add_compile_definitions(_WIN32_WINNT=${BRV_WINDOWS_FLOOR} WINVER=${BRV_WINDOWS_FLOOR})
  list(GET BRV_SUBSYSTEM_VERSION 0 major)
  list(GET BRV_SUBSYSTEM_VERSION 1 minor)
  add_link_options(-Wl,--major-subsystem-version,${major} -Wl,--minor-subsystem-version,${minor}
                   -Wl,--major-os-version,${major} -Wl,--minor-os-version,${minor})
  # Reproducible files: no link time in the PE header, and no folder of the
  # checkout or the build in the code (__FILE__ and debug paths).
  add_link_options(-Wl,--no-insert-timestamp)
  # The static runtime libraries bring their debug sections along; the
  # optimised programs have no use for them (they are most of the file).
  add_link_options($<$<CONFIG:Release>:-s>)
  add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=
                      -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)
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
