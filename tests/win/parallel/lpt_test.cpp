// Parallel ports against the simulated parallel-port driver: the exact requests and input bytes,
// readiness from the driver's error bits, reset on the NT and 9x families, refusals, and the threaded
// variant's claim and drain.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "api/HandleTable.h"
#include "os/Syscalls.h"
#include "ptl/ptl.h"
#include "serial/WLpt.h"
#include "serial/WLptA.h"
#include "sim/SimComm.h"
#include "support/Seam.h"
#include "support/TestUtil.h"

namespace ptl {
namespace {

using test::Seam;
using test::SimComm;

class Parallel : public ::testing::Test {
protected:
    void SetUp() override {
        seam.captureDebug();
        baseline = os::openTotal();
    }
    void TearDown() override {
        lpt.release(0);
        EXPECT_EQ(os::openTotal(), baseline) << os::openReport();
    }
    Seam seam;
    SimComm dev{seam, "\\\\.\\LPT1"};
    int baseline = 0;
    WLpt lpt;
};

TEST_F(Parallel, DriverRequestsCarryTheExactCodesAndBytes) {
    ASSERT_EQ(lpt.claim(0), 0); // the status byte and the id as the caller gets them: the Answers table
    unsigned char status = 0;
    int size = 0;
    char id[64] = {};
    EXPECT_EQ(lpt.queryParInfo(&status) + lpt.setParInfo(0x01) + lpt.getDeviceIdSize(&size) +
                  lpt.getDeviceId(id, sizeof id) + lpt.reset(), // on the NT family: the init request
              0);
    EXPECT_EQ(dev.ioctls(), (std::vector<std::string>{"00160004 in=0:00 out=1", "00160008 in=1:01 out=0",
                                                      "00160010 in=0:00 out=4", "0016000C in=0:00 out=64",
                                                      "00160008 in=1:01 out=0"}));
    EXPECT_EQ(dev.count("EscapeCommFunction 7"), 0);

    for (int n = 1; n <= 5; ++n) // refused: 10000, and the outputs stay untouched
        dev.failNth("DeviceIoControl", n, ERROR_INVALID_FUNCTION);
    size = 12345;
    EXPECT_EQ(lpt.getDeviceIdSize(&size), kSystemCallFailed);
    EXPECT_EQ(size, 12345);
    status = 0xEE;
    EXPECT_EQ(lpt.queryParInfo(&status), kSystemCallFailed);
    EXPECT_EQ(status, 0xEE);
    EXPECT_EQ(lpt.setParInfo(0x01), kSystemCallFailed);
    EXPECT_EQ(lpt.getDeviceId(id, sizeof id), kSystemCallFailed);
    EXPECT_EQ(lpt.reset(), kResetFailed);
}

TEST_F(Parallel, ReadinessFromTheDriverErrorBits) {
    EXPECT_FALSE(lpt.isReady()); // not claimed
    ASSERT_EQ(lpt.claim(0), 0);
    for (int e : {0, CE_OOP, CE_IOE, CE_PTO, CE_DNS}) {
        dev.setCommErrors(e);
        EXPECT_EQ(lpt.isReady(), e == 0 || e == CE_IOE) << e;
    }
    dev.failNth("ClearCommError", 1, ERROR_GEN_FAILURE);
    EXPECT_FALSE(lpt.isReady());
}

TEST_F(Parallel, ResetOnThe9xFamilyIsTheEscapeFunction) {
    dev.setNt(false);
    ASSERT_EQ(lpt.claim(0), 0);
    EXPECT_EQ(lpt.reset(), 0);
    EXPECT_TRUE(dev.ioctls().empty());
    EXPECT_EQ(dev.count("EscapeCommFunction 7"), 1); // RESETDEV
    dev.failNth("EscapeCommFunction", 1, ERROR_GEN_FAILURE);
    EXPECT_EQ(lpt.reset(), kResetFailed);
}

// Both classes open the device without serial settings and send; the threaded one drains at release.
// Neither has lines to drop.
TEST_F(Parallel, ClaimSendAndReleaseWithoutSerialSettings) {
    ASSERT_EQ(lpt.claim(0), 0);
    EXPECT_TRUE(seam.sawDebug("PTL: WLpt::claim(1)\n"));
    int n = 0;
    EXPECT_EQ(lpt.send("\x1b@", 2, &n, 0, 0, 0), 0);
    EXPECT_EQ(lpt.release(100), 0);
    EXPECT_TRUE(seam.sawDebug("PTL: WLpt::release(100)\n"));
    WLptA a;
    ASSERT_EQ(a.claim(0), 0);
    const std::string data = test::testBytes(20000);
    ASSERT_EQ(a.send(data.data(), 20000, &n, 0, 0, 0), 0);
    EXPECT_EQ(n, 20000);
    unsigned char status = 0;
    EXPECT_EQ(a.queryParInfo(&status), 0); // device requests on the caller's thread
    EXPECT_EQ(a.release(5000), 0);
    EXPECT_EQ(dev.written(), "\x1b@" + data);
    EXPECT_TRUE(seam.sawDebug("PTL: WLptA::release(5000)\n"));
    EXPECT_TRUE(seam.sawDebug("PTL: WLptA::procRecv() End\n"));
    EXPECT_EQ(dev.count("CreateFileA \\\\.\\LPT1"), 2);
    EXPECT_EQ(dev.count("SetCommState") + dev.count("SetCommTimeouts") + dev.count("EscapeCommFunction 6"),
              0);
}

// The factory: the parallel classes for modes 0 and 1 and nothing else, the serial ones for 0 to 2 (their
// classes: the Answers rows of COM3 and Ptlquery.SerialLine).
TEST(ParallelFactory, TargetsAndModes) {
    for (int mode : {0, 1}) {
        const int h = PtlOpenByName("LPT2", mode);
        EXPECT_STREQ(PtlGetIFName(h), "LPT");
        EXPECT_EQ(findPort(h)->getIOMode(), mode);
        EXPECT_EQ(PtlClose(h), 0);
    }
    for (const auto &[target, mode] : {std::pair{"LPT1", 2}, std::pair{"LPT1", 3}, std::pair{"COM1", 3}})
        EXPECT_EQ(PtlOpenByName(target, mode), -1) << target << " mode " << mode;
}

} // namespace
} // namespace ptl
