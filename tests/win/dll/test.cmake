# The test loads bin/ptl.dll at run time.
add_dependencies(${PTL_TARGET} ptl)
