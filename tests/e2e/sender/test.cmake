# The log tests write "Log"/"LogPath" into the prefix's registry, which every rawpush run reads:
# nothing else that starts the library may run beside them.
# The printer listing makes Wine bring the prefix's printers in line with CUPS: not beside the spooler
# tests either.
set_tests_properties(${PTL_TEST} PROPERTIES RESOURCE_LOCK "ptl_registry;ptl_spooler")
