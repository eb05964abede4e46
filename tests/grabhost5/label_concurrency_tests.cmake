# Discovered tests take a single label from PROPERTIES; this runs after discovery and gives the
# concurrency tests both, so `ctest -L grabhost5` and the thread-sanitizer run (`-L concurrency`)
# each find them.
foreach(test IN LISTS grabhost5_core_concurrency_tests_TESTS grabhost5_concurrency_tests_TESTS)
  set_tests_properties(${test} PROPERTIES LABELS "grabhost5;concurrency")
endforeach()
