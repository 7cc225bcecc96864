# Stand-ins for what the main program starts or loads outside itself, built
# beside shell_tests.exe (never shipped): the score printing program
# (zkprn.exe), the help viewer (zkviewer.exe) and simple MAPI (MAPI32.DLL,
# loaded in place of the system's when run.sh is told ZK_VIRTUAL_WINMM=1).
# Each logs its calls to the file named by ZK_STANDIN_LOG.
set(standin_dir ${CMAKE_CURRENT_LIST_DIR}/standins)
# The song reader's own check of stored tracks judges every copy received.
set(standin_check ${standin_dir}/songcheck.cpp ${CMAKE_SOURCE_DIR}/song/songread_check.cpp)

foreach(program zkprn zkviewer)
  add_executable(standin_${program} WIN32 ${standin_dir}/recorder.cpp ${standin_check})
  zk_target_options(standin_${program})
  target_include_directories(standin_${program} PRIVATE ${CMAKE_SOURCE_DIR}/song)
  set_target_properties(standin_${program} PROPERTIES OUTPUT_NAME ${program}
                        RUNTIME_OUTPUT_DIRECTORY ${ZK_VMIDI_DIR})
  add_dependencies(shell_tests standin_${program})
endforeach()

zk_add_dll(standin_mapi32 ${standin_dir}/mapi32.def ${standin_dir}/mapi32.cpp ${standin_check})
target_include_directories(standin_mapi32 PRIVATE ${CMAKE_SOURCE_DIR}/song)
# Its import library stays out of every link path, as the virtual winmm's.
set_target_properties(standin_mapi32 PROPERTIES
  OUTPUT_NAME MAPI32
  RUNTIME_OUTPUT_DIRECTORY ${ZK_VMIDI_DIR}
  LIBRARY_OUTPUT_DIRECTORY ${ZK_VMIDI_DIR}
  ARCHIVE_OUTPUT_DIRECTORY ${ZK_VMIDI_DIR}/implib)
add_dependencies(shell_tests standin_mapi32)
