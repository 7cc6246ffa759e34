# One gibibyte through the threaded printer port with a stalling reader: its own label, so that a quick
# run can leave it out (ctest -LE soak); about half a minute here, so the full run keeps it.
set_tests_properties(${PTL_TEST} PROPERTIES LABELS soak RESOURCE_LOCK "ptl_udp3289;ptl_registry" TIMEOUT 600)
