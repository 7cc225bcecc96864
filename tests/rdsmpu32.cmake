# The Super MPU driver library's tests, run with the virtual MIDI device in a
# Wine prefix of their own (they write ZKFW95.INI in its Windows folder).
if(COMMAND zk_vmidi_test AND TARGET rdsmpu32)
  zk_vmidi_test(rdsmpu32_tests rdsmpu32 PREFIX rdsmpu rdsmpu32 version)
  set_property(TEST rdsmpu32_tests APPEND PROPERTY ENVIRONMENT VMIDI_CLOCKRATE=2)
  # Its sequencer is checked against the wall clock: alone, not beside the
  # busy suites.
  set_tests_properties(rdsmpu32_tests PROPERTIES RUN_SERIAL TRUE)
endif()
