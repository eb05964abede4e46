# Discovered tests take a single label from PROPERTIES; this runs after discovery and gives the
# concurrency tests both, so `ctest -L designrt` and the thread-sanitizer run (`-L concurrency`)
# each find them.
foreach(test IN LISTS designrt_concurrency_tests_TESTS)
  set_tests_properties(${test} PROPERTIES LABELS "designrt;concurrency")
endforeach()
