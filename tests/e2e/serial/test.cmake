# A socat pty pair as COM25 (port under test) and COM26 (the line's other end) in this build's prefix.
set(pty_dir ${CMAKE_BINARY_DIR}/pty/${PTL_TEST})
set(pty_script ${PROJECT_SOURCE_DIR}/tests/sim/pty-pair.sh)
add_test(NAME ${PTL_TEST}_pty_up COMMAND ${pty_script} start ${pty_dir} ${CMAKE_BINARY_DIR}/wineprefix 25 26)
add_test(NAME ${PTL_TEST}_pty_down COMMAND ${pty_script} stop ${pty_dir} ${CMAKE_BINARY_DIR}/wineprefix 25 26)
set_tests_properties(${PTL_TEST}_pty_up PROPERTIES FIXTURES_SETUP ${PTL_TEST}_pty LABELS e2e)
set_tests_properties(${PTL_TEST}_pty_down PROPERTIES FIXTURES_CLEANUP ${PTL_TEST}_pty LABELS e2e)
set_tests_properties(${PTL_TEST} PROPERTIES FIXTURES_REQUIRED ${PTL_TEST}_pty RESOURCE_LOCK ptl_registry
    ENVIRONMENT "PTL_PTY_COM=25;PTL_PTY_PEER=26")
