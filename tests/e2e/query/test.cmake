# A socat pty pair as COM27 (the port under test) and COM28 (the printer's end), the network printer
# simulator on UDP 3289 (one per host under Wine), and the registry that every start of the library reads.
set(pty_dir ${CMAKE_BINARY_DIR}/pty/${PTL_TEST})
set(pty_script ${PROJECT_SOURCE_DIR}/tests/sim/pty-pair.sh)
add_test(NAME ${PTL_TEST}_pty_up COMMAND ${pty_script} start ${pty_dir} ${CMAKE_BINARY_DIR}/wineprefix 27 28)
add_test(NAME ${PTL_TEST}_pty_down COMMAND ${pty_script} stop ${pty_dir} ${CMAKE_BINARY_DIR}/wineprefix 27 28)
set_tests_properties(${PTL_TEST}_pty_up PROPERTIES FIXTURES_SETUP ${PTL_TEST}_pty LABELS e2e)
set_tests_properties(${PTL_TEST}_pty_down PROPERTIES FIXTURES_CLEANUP ${PTL_TEST}_pty LABELS e2e)
set_tests_properties(${PTL_TEST} PROPERTIES FIXTURES_REQUIRED ${PTL_TEST}_pty
    RESOURCE_LOCK "ptl_udp3289;ptl_registry" ENVIRONMENT "PTL_PTY_COM=27;PTL_PTY_PEER=28")
# The USB cases run the query in-process against the simulated drivers.
target_link_libraries(${PTL_TARGET} PRIVATE ptlquery_lib)
