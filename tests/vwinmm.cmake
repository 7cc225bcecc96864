# The virtual MIDI device: winmm.dll of our own, built into a folder of its
# own with the test programs that load it in place of the system's.
set(ZK_VMIDI_DIR ${CMAKE_BINARY_DIR}/vmidi)
set(ZK_VWINMM_DIR ${CMAKE_CURRENT_LIST_DIR}/support/vwinmm)
set(ZK_VMIDI_TESTS_DIR ${CMAKE_CURRENT_LIST_DIR})

file(GLOB vwinmm_srcs CONFIGURE_DEPENDS ${ZK_VWINMM_DIR}/*.cpp)
zk_add_dll(vwinmm ${ZK_VWINMM_DIR}/vwinmm.def ${vwinmm_srcs})
target_include_directories(vwinmm PRIVATE ${ZK_VWINMM_DIR})
# Its import library stays out of every link path: programs link the
# system's winmm and meet this one only at run time.
set_target_properties(vwinmm PROPERTIES
  OUTPUT_NAME winmm
  RUNTIME_OUTPUT_DIRECTORY ${ZK_VMIDI_DIR}
  LIBRARY_OUTPUT_DIRECTORY ${ZK_VMIDI_DIR}
  ARCHIVE_OUTPUT_DIRECTORY ${ZK_VMIDI_DIR}/implib)

# zk_vmidi_test(name folder [PREFIX prefix] [libs...]): a test program from
# tests/<folder>/*.cpp, built beside the virtual winmm.dll and run with it
# (and, with PREFIX, in a Wine prefix of that name).
function(zk_vmidi_test name folder)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "PREFIX" "")
  file(GLOB srcs CONFIGURE_DEPENDS ${ZK_VMIDI_TESTS_DIR}/${folder}/*.cpp)
  add_executable(${name} ${srcs} ${ZK_APP_RC})
  zk_target_options(${name})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ZK_VMIDI_DIR})
  target_include_directories(${name} PRIVATE ${ZK_VWINMM_DIR})
  target_link_libraries(${name} PRIVATE zktestsupport gtest_main ${arg_UNPARSED_ARGUMENTS})
  add_dependencies(${name} vwinmm)
  set(env ZK_VIRTUAL_WINMM=1 ZK_GTEST=1)
  if(arg_PREFIX)
    list(APPEND env ZK_PREFIX=${arg_PREFIX})
  endif()
  add_test(NAME ${name}
           COMMAND bash ${ZK_WINE_SCRIPTS}/run.sh ${CMAKE_BINARY_DIR} $<TARGET_FILE:${name}>)
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 600
                       ENVIRONMENT "${env}")
endfunction()

zk_vmidi_test(vwinmm_tests vwinmm winmm)
