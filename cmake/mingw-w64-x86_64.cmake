# Cross-compiling for 64-bit Windows: the twin that the whole test suite runs
# under wine64.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(SKARVEL_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
