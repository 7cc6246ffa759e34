# These tests write the library's log settings in the prefix's registry and start the library: nothing
# else that starts the library may run beside them.
set_tests_properties(${PTL_TEST} PROPERTIES RESOURCE_LOCK ptl_registry RUN_SERIAL TRUE)
