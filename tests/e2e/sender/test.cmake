# The log tests write "Log"/"LogPath" into the prefix's registry, which every rawpush run and every start
# of the library reads: nothing else may run beside them (another test's rawpush would write its lines
# into their log file).
set_tests_properties(${PTL_TEST} PROPERTIES RESOURCE_LOCK ptl_registry RUN_SERIAL TRUE)
