# What an installation holds, and the two packages made of it (cpack: a ZIP and an NSIS installer).
#   bin/      ptl.dll and the programs (each program's CMakeLists.txt installs it to bin)
#   lib/      libptl.dll.a, the import library; lib/cmake/ptl/ the CMake package (find_package(ptl))
#   include/  ptl/ptl.h
#   README.md, doc/, examples/hello
include(CMakePackageConfigHelpers)

set(ptl_cmake_dir lib/cmake/ptl)

# The export names the import library as the link file and the DLL as the target's file, so a caller
# links with ptl::ptl and copies $<TARGET_FILE:ptl::ptl> beside its program.
install(TARGETS ptl EXPORT ptlTargets
    RUNTIME DESTINATION bin
    ARCHIVE DESTINATION lib
    INCLUDES DESTINATION include)
install(FILES ${PROJECT_SOURCE_DIR}/include/ptl/ptl.h DESTINATION include/ptl)
install(EXPORT ptlTargets NAMESPACE ptl:: DESTINATION ${ptl_cmake_dir})

configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/ptlConfig.cmake.in
    ${CMAKE_CURRENT_BINARY_DIR}/ptlConfig.cmake INSTALL_DESTINATION ${ptl_cmake_dir})
# The version file also refuses a 64-bit caller: ptl.dll is a 32-bit library.
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/ptlConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/ptlConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/ptlConfigVersion.cmake
    DESTINATION ${ptl_cmake_dir})

install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/tools/netprinter-sim/README.md DESTINATION doc RENAME netprinter-sim.md)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/hello DESTINATION examples)

set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_NAME ptl)
set(CPACK_PACKAGE_VENDOR PTL)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_FILE_NAME ptl-${PROJECT_VERSION}-win32)
set(CPACK_PACKAGE_INSTALL_DIRECTORY PTL)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY PTL)
set(CPACK_NSIS_DISPLAY_NAME "PTL ${PROJECT_VERSION}")
set(CPACK_NSIS_PACKAGE_NAME "PTL ${PROJECT_VERSION}")
# A silent install (/S /D=...) asks nothing; an earlier version is replaced in place.
set(CPACK_NSIS_MODIFY_PATH OFF)
set(CPACK_VERBATIM_VARIABLES ON)
include(CPack)
