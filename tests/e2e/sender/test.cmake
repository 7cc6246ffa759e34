# The log tests write "Log"/"LogPath" into the prefix's registry, which every library start reads, and
# other tests clear them: nothing else may run beside them (a lock would have to be taken by every test
# that starts the library).
set_tests_properties(${PTL_TEST} PROPERTIES RUN_SERIAL TRUE)
