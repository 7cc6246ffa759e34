# These tests write the library's log settings in the prefix's registry and start the library.
# The printer listing makes Wine bring the prefix's printers in line with CUPS: not beside the spooler
# tests either.
set_tests_properties(${PTL_TEST} PROPERTIES RESOURCE_LOCK "ptl_registry;ptl_spooler")
