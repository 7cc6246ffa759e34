# Under Wine a UDP socket bound to any 127.x address holds the port for all addresses: the tests that play
# a printer on UDP 3289 must not overlap with other programs doing the same. They also start the library,
# which reads the log settings that the log tests write into the prefix's registry.
set_tests_properties(${PTL_TEST} PROPERTIES RESOURCE_LOCK "ptl_udp3289;ptl_registry")
