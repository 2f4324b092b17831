# What both mingw-w64 toolchains share, once SKARVEL_MINGW_TRIPLE and
# CMAKE_SYSTEM_PROCESSOR are set: Debian's cross compilers of the posix thread
# model (the standard library's threads need it), every program linked
# statically so that libgcc, libstdc++ and winpthread travel inside the .exe
# and it starts on a bare Windows, and the tests run under Wine (wine-run.sh).
set(CMAKE_SYSTEM_NAME Windows)

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
