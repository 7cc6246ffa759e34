# COM27 is the port under test and COM28 the printer's end; the network printer simulator needs UDP 3289
# (one per host under Wine), and every start of the library reads the registry.
ptl_pty_fixture(27 28)
set_tests_properties(${PTL_TEST} PROPERTIES RESOURCE_LOCK "ptl_udp3289;ptl_registry")
# The USB cases run the query in-process against the simulated drivers.
target_link_libraries(${PTL_TARGET} PRIVATE ptlquery_lib)
