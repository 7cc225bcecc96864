# 64-bit Windows: the same sources for machines that cannot run 32-bit code.
set(ZK_MINGW_TRIPLET x86_64-w64-mingw32)
set(ZK_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
