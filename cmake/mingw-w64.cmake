# Cross-building the Windows programs with mingw-w64 (64-bit). The -posix compilers are
# the ones whose C++ runtime has std::thread and std::mutex. Programs are linked
# statically, so ambrel-cli.exe needs no runtime DLLs beside it; tests run under Wine
# (CMAKE_CROSSCOMPILING_EMULATOR).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ambrel_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ambrel_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ambrel_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${ambrel_mingw}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ambrel_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The build machine's header-only JSON library, found through a small package file of
# our own (cmake/win/) instead of the host's, whose include folder would bring the
# host's C library headers.
list(APPEND CMAKE_PREFIX_PATH ${CMAKE_CURRENT_LIST_DIR}/win)
set(nlohmann_json_DIR ${CMAKE_CURRENT_LIST_DIR}/win CACHE PATH "")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
find_program(AMBREL_WINE wine)
if(AMBREL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${AMBREL_WINE})
endif()
