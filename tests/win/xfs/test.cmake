# The golden files by absolute path: __FILE__ is relative to the build folder when ccache rewrites paths.
target_compile_definitions(${PTL_TARGET} PRIVATE PTL_XFS_GOLDEN_DIR="${PTL_AREA_DIR}/")
