# Cross-compiling for 32-bit Windows: the players' build, a 32-bit program like
# the game, so that on 64-bit Windows it reads the game's key where the game's
# installer wrote it and is virtualised as the game is. Its tests run under
# Wine's 32-bit loader where the machine has it (wine-run.sh).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(SKARVEL_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
