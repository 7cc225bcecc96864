# The program a favourite link test opens, built beside shell_tests.exe.
add_executable(linkprobe WIN32 ${CMAKE_CURRENT_LIST_DIR}/linkprobe/linkprobe.cpp)
zk_target_options(linkprobe)
set_target_properties(linkprobe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ZK_VMIDI_DIR})
