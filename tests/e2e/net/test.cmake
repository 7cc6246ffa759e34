# The simulator holds UDP 3289, which under Wine is one port for every 127.x address.
set_tests_properties(${PTL_TEST} PROPERTIES RESOURCE_LOCK ptl_udp3289)
