# 32-bit Windows: the build the programs ship as.
set(ZK_MINGW_TRIPLET i686-w64-mingw32)
set(ZK_MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
