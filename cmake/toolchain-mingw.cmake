# Cross build for Windows with MinGW-w64 (posix thread model: the win32
# model lacks std::mutex). Included by the per-target toolchain files, which
# set ZK_MINGW_TRIPLET and ZK_MINGW_PROCESSOR.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${ZK_MINGW_PROCESSOR})
set(CMAKE_C_COMPILER ${ZK_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZK_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${ZK_MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ZK_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
