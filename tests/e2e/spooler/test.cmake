# The build's own CUPS scheduler (tests/sim/cups.sh) with raw queues ptl-a, ptl-b and ptl-c, the last the
# default. After the tests proper, nine queues with 127-character names (past 1200 bytes of level-4 data)
# are added and ptl-a refuses jobs, for SpoolerCrowded; SpoolerStopped runs once the scheduler is gone.
# Wine numbers its spool files per process, so nothing else that prints or lists printers runs beside
# these (lock ptl_spooler).
set(cups ${PROJECT_SOURCE_DIR}/tests/sim/cups.sh)
string(REPEAT x 117 long)
set(crowd "")
foreach(i RANGE 1 9)
    list(APPEND crowd ptl-long${i}-${long})
endforeach()
set(env "PTL_CUPS_DIR=${PTL_CUPS_DIR};CUPS_SERVER=${PTL_CUPS_DIR}/cups.sock")

add_test(NAME ${PTL_TEST}_cups_up COMMAND ${cups} start ${PTL_CUPS_DIR} ptl-a ptl-b ptl-c)
add_test(NAME ${PTL_TEST}_crowd_add COMMAND ${cups} add ${PTL_CUPS_DIR} ${crowd})
add_test(NAME ${PTL_TEST}_crowd_reject COMMAND ${cups} reject ${PTL_CUPS_DIR} ptl-a)
add_test(NAME ${PTL_TEST}_crowded COMMAND ${PTL_TARGET} --gtest_filter=SpoolerCrowded.*)
add_test(NAME ${PTL_TEST}_cups_down COMMAND ${cups} stop ${PTL_CUPS_DIR})
add_test(NAME ${PTL_TEST}_stopped COMMAND ${PTL_TARGET} --gtest_filter=SpoolerStopped.*)

set_tests_properties(${PTL_TEST}_cups_up PROPERTIES FIXTURES_SETUP ptl_cups LABELS e2e)
set_tests_properties(${PTL_TEST} PROPERTIES FIXTURES_REQUIRED ptl_cups RESOURCE_LOCK ptl_spooler
    ENVIRONMENT "${env};GTEST_FILTER=-SpoolerCrowded.*:SpoolerStopped.*")
set_tests_properties(${PTL_TEST}_crowd_add ${PTL_TEST}_crowd_reject PROPERTIES FIXTURES_SETUP ptl_cups_crowd
    FIXTURES_REQUIRED ptl_cups DEPENDS ${PTL_TEST} RESOURCE_LOCK ptl_spooler LABELS e2e)
set_tests_properties(${PTL_TEST}_crowded PROPERTIES FIXTURES_REQUIRED "ptl_cups;ptl_cups_crowd"
    RESOURCE_LOCK ptl_spooler ENVIRONMENT "${env}" LABELS e2e TIMEOUT ${PTL_TEST_TIMEOUT})
set_tests_properties(${PTL_TEST}_cups_down PROPERTIES FIXTURES_CLEANUP ptl_cups LABELS e2e)
set_tests_properties(${PTL_TEST}_stopped PROPERTIES DEPENDS ${PTL_TEST}_cups_down RESOURCE_LOCK ptl_spooler
    ENVIRONMENT "${env}" LABELS e2e TIMEOUT ${PTL_TEST_TIMEOUT})
