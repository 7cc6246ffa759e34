# The expected reports lie beside the test; their folder comes by name, as __FILE__ is relative under a
# compiler cache that rewrites paths.
set_tests_properties(${PTL_TEST} PROPERTIES ENVIRONMENT "PTL_XFS_EXPECTED=${PTL_AREA_DIR}")
