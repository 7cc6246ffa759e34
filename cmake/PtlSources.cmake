# Source registration shared by every CMakeLists under ptl/.
#
#   ptl_sources(PORTABLE a.cpp b.cpp ... WIN32 c.cpp d.cpp ...)
#
# Relative paths are taken from the calling folder. PORTABLE files must compile without Windows
# headers (they go into ptl_portable, natively and cross); WIN32 files go only into the Windows
# libraries. The lists are global properties so that ptl/CMakeLists.txt can build its targets after
# all sub-folders have registered:
#   get_property(portable GLOBAL PROPERTY PTL_PORTABLE_SOURCES)
#   get_property(win32    GLOBAL PROPERTY PTL_WIN32_SOURCES)

define_property(GLOBAL PROPERTY PTL_PORTABLE_SOURCES
    BRIEF_DOCS "Absolute paths of PTL sources that build on every platform"
    FULL_DOCS "Appended to by ptl_sources(PORTABLE ...).")
define_property(GLOBAL PROPERTY PTL_WIN32_SOURCES
    BRIEF_DOCS "Absolute paths of PTL sources that need Win32"
    FULL_DOCS "Appended to by ptl_sources(WIN32 ...).")
set_property(GLOBAL PROPERTY PTL_PORTABLE_SOURCES "")
set_property(GLOBAL PROPERTY PTL_WIN32_SOURCES "")

function(ptl_sources)
    cmake_parse_arguments(PARSE_ARGV 0 arg "" "" "PORTABLE;WIN32")
    if(arg_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR
            "ptl_sources: files must follow PORTABLE or WIN32, got: ${arg_UNPARSED_ARGUMENTS}")
    endif()
    foreach(kind IN ITEMS PORTABLE WIN32)
        foreach(file IN LISTS arg_${kind})
            cmake_path(ABSOLUTE_PATH file BASE_DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}" NORMALIZE
                OUTPUT_VARIABLE abs)
            # Fail at configure time rather than with a confusing generator error later.
            if(NOT EXISTS "${abs}")
                message(FATAL_ERROR "ptl_sources: no such file: ${abs}")
            endif()
            set_property(GLOBAL APPEND PROPERTY PTL_${kind}_SOURCES "${abs}")
        endforeach()
    endforeach()
endfunction()
