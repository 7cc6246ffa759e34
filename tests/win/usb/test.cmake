#The send runs start the library, which reads its log settings from the prefix's registry.
set_tests_properties(${PTL_TEST} PROPERTIES RESOURCE_LOCK ptl_registry)
