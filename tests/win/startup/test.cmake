# These tests write the library's log settings in the prefix's registry and start the library; every other
# library start reads them and some tests clear them: nothing else may run beside them.
set_tests_properties(${PTL_TEST} PROPERTIES RUN_SERIAL TRUE)
