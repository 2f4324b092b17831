# Cross-compiling for 32-bit Windows with Debian's mingw-w64 (the posix thread
# model, which the standard library's threads need): the players' build, a
# 32-bit program like the game, so that on 64-bit Windows it reads the game's
# key where the game's installer wrote it and is virtualised as the game is.
# Linked statically like the 64-bit build; its tests run under Wine's 32-bit
# loader where the machine has it (wine-run.sh).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(SKARVEL_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_C_COMPILER ${SKARVEL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SKARVEL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${SKARVEL_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${SKARVEL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
