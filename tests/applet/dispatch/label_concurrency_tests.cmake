# Gives the discovered dispatch concurrency tests the labels dispatch and concurrency.
foreach(test IN LISTS applet_dispatch_concurrency_tests_TESTS)
  set_tests_properties(${test} PROPERTIES LABELS "dispatch;concurrency")
endforeach()
