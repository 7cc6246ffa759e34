# COM25 is the port under test, COM26 the line's other end.
ptl_pty_fixture(25 26)
set_tests_properties(${PTL_TEST} PROPERTIES RESOURCE_LOCK ptl_registry)
