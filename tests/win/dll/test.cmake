# The test loads bin/ptl.dll at run time and reads the import tables of ptl.dll and rawpush.exe.
add_dependencies(${PTL_TARGET} ptl rawpush)
