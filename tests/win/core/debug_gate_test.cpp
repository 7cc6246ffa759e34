// Debug lines under Wine are sent only while something can read them.
#include <gtest/gtest.h>

#include <windows.h>

#include "core/Log.h"
#include "os/Syscalls.h"
#include "support/Seam.h"
#include "support/TestUtil.h"

using namespace ptl;

TEST(DebugGate, ReplacedOutputAlwaysGetsEveryLine) {
    test::Seam seam;
    seam.captureDebug();
    EXPECT_TRUE(debugOutputWanted());
    debugLine("PTL: seen\n");
    EXPECT_TRUE(seam.sawDebug("PTL: seen\n"));
}

TEST(DebugGate, UnderWineAMonitorSwitchesLinesOn) {
    ASSERT_TRUE(os::isWine()) << "the tests run under Wine";
    // ctest runs Wine with WINEDEBUG=-all and no debugger: nobody reads the lines.
    ASSERT_FALSE(IsDebuggerPresent());
    EXPECT_FALSE(debugOutputWanted());
    // A debug monitor announces itself with this section; the gate looks again within a second.
    HANDLE monitor =
        CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, "DBWIN_BUFFER");
    ASSERT_NE(monitor, nullptr);
    EXPECT_TRUE(test::waitUntil([] { return debugOutputWanted(); }));
    CloseHandle(monitor);
    EXPECT_TRUE(test::waitUntil([] { return !debugOutputWanted(); }));
}
