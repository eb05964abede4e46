# Gives the discovered lock concurrency tests the labels api and concurrency.
foreach(test IN LISTS applet_locks_concurrency_tests_TESTS)
  set_tests_properties(${test} PROPERTIES LABELS "api;concurrency")
endforeach()
