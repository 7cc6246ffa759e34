# The simulator holds UDP 3289, which under Wine is one port for every 127.x address; rawpush reads the
# log settings that the log tests write into the prefix's registry.
set_tests_properties(${PTL_TEST} PROPERTIES RESOURCE_LOCK "ptl_udp3289;ptl_registry")
