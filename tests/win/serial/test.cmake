# A socat pty pair as COM23 (port under test) and COM24 (the line's other end) in this build's prefix.
set(pty_dir ${CMAKE_BINARY_DIR}/pty/${PTL_TEST})
set(pty_script ${PROJECT_SOURCE_DIR}/tests/sim/pty-pair.sh)
add_test(NAME ${PTL_TEST}_pty_up COMMAND ${pty_script} start ${pty_dir} ${CMAKE_BINARY_DIR}/wineprefix 23 24)
add_test(NAME ${PTL_TEST}_pty_down COMMAND ${pty_script} stop ${pty_dir} ${CMAKE_BINARY_DIR}/wineprefix 23 24)
set_tests_properties(${PTL_TEST}_pty_up PROPERTIES FIXTURES_SETUP ${PTL_TEST}_pty LABELS win)
set_tests_properties(${PTL_TEST}_pty_down PROPERTIES FIXTURES_CLEANUP ${PTL_TEST}_pty LABELS win)
set_tests_properties(${PTL_TEST} PROPERTIES FIXTURES_REQUIRED ${PTL_TEST}_pty
    ENVIRONMENT "PTL_PTY_COM=23;PTL_PTY_PEER=24;PTL_PTY_DIR=${pty_dir}")
