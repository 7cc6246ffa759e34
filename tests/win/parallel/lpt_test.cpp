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

TEST_F(Parallel, ClaimOpensTheDeviceWithoutSerialSettings) {
    ASSERT_EQ(lpt.claim(0), 0);
    EXPECT_TRUE(seam.sawDebug("PTL: WLpt::claim(1)\n"));
    EXPECT_EQ(dev.count("CreateFileA \\\\.\\LPT1"), 1);
    EXPECT_EQ(dev.count("SetCommState") + dev.count("SetCommTimeouts"), 0);
    int n = 0;
    EXPECT_EQ(lpt.send("\x1b@", 2, &n, 0, 0, 0), 0);
    EXPECT_EQ(dev.written(), "\x1b@");
    EXPECT_EQ(lpt.release(100), 0);
    EXPECT_TRUE(seam.sawDebug("PTL: WLpt::release(100)\n"));
    EXPECT_EQ(dev.count("EscapeCommFunction 6"), 0); // no lines to drop on a parallel port
}

// The driver's requests as (code, input bytes, output size).
std::vector<std::string> requests(SimComm &dev) {
    std::vector<std::string> out;
    char line[64];
    for (const auto &io : dev.ioctls()) {
        snprintf(line, sizeof line, "%08lX in=%zu:%02X out=%lu", io.code, io.input.size(),
                 io.input.empty() ? 0u : static_cast<unsigned char>(io.input[0]), io.outputSize);
        out.push_back(line);
    }
    return out;
}

TEST_F(Parallel, DriverRequestsCarryTheExactCodesAndBytes) {
    ASSERT_EQ(lpt.claim(0), 0); // the status byte and the id as the caller gets them: the Answers table
    unsigned char status = 0;
    int size = 0;
    char id[64] = {};
    EXPECT_EQ(lpt.queryParInfo(&status) + lpt.setParInfo(0x01) + lpt.getDeviceIdSize(&size) +
                  lpt.getDeviceId(id, sizeof id) + lpt.reset(), // on the NT family: the init request
              0);
    EXPECT_EQ(requests(dev), (std::vector<std::string>{"00160004 in=0:00 out=1", "00160008 in=1:01 out=0",
                                                       "00160010 in=0:00 out=4", "0016000C in=0:00 out=64",
                                                       "00160008 in=1:01 out=0"}));
    EXPECT_EQ(dev.count("EscapeCommFunction 7"), 0);

    dev.refuseIoctls(true); // refused: 10000, and the outputs stay untouched
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

TEST_F(Parallel, FailedOpenKeepsTheOsError) {
    dev.failNth("CreateFileA", 1, ERROR_SHARING_VIOLATION);
    EXPECT_EQ(lpt.claim(0), kCantClaim);
    EXPECT_EQ(lpt.lastOsError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(lpt.setPortNo(0), kInvalidPortNo);
    EXPECT_EQ(lpt.claim(0), kInvalidPortNo);
}

TEST_F(Parallel, ThreadedPortQueuesDrainsAndFailsCleanly) {
    WLptA a;
    ASSERT_EQ(a.claim(0), 0);
    EXPECT_EQ(dev.count("SetCommState"), 0);
    const std::string data = test::testBytes(20000);
    int n = 0;
    ASSERT_EQ(a.send(data.data(), 20000, &n, 0, 0, 0), 0);
    EXPECT_EQ(n, 20000);
    unsigned char status = 0;
    EXPECT_EQ(a.queryParInfo(&status), 0); // device requests on the caller's thread
    EXPECT_EQ(a.release(5000), 0);
    EXPECT_EQ(dev.written(), data);
    EXPECT_TRUE(seam.sawDebug("PTL: WLptA::release(5000)\n"));
    EXPECT_TRUE(seam.sawDebug("PTL: WLptA::procSend() Start\n"));
    EXPECT_TRUE(seam.sawDebug("PTL: WLptA::procRecv() End\n"));

    a.setSendQueueType(3);
    EXPECT_EQ(a.claim(0), kQueueFailed);
    EXPECT_FALSE(dev.isOpen());
    EXPECT_EQ(os::openTotal(), baseline) << os::openReport();
}

// The factory: LPT and PRN give the parallel classes for modes 0 and 1 and nothing else; COM gives the
// three serial classes.
TEST(ParallelFactory, TargetsAndModes) {
    struct Case {
        const char *target;
        int mode;
        int ioMode; // -1: no port
        const char *name;
    } cases[] = {{"LPT2", 0, 0, "LPT"}, {"LPT1", 1, 1, "LPT"}, {"PRN", 0, 0, "LPT"},  {"PRN", 1, 1, "LPT"},
                 {"LPT1", 2, -1, ""},   {"LPT1", 3, -1, ""},   {"COM1", 0, 0, "COM"}, {"COM1", 1, 1, "COM"},
                 {"COM1", 2, 2, "COM"}, {"COM1", 3, -1, ""},   {"COM1", 9, -1, ""}};
    for (const Case &c : cases) {
        const int h = PtlOpenByName(c.target, c.mode);
        if (c.ioMode < 0) {
            EXPECT_EQ(h, -1) << c.target << " mode " << c.mode;
            continue;
        }
        ASSERT_NE(h, -1) << c.target << " mode " << c.mode;
        EXPECT_STREQ(PtlGetIFName(h), c.name);
        EXPECT_EQ(findPort(h)->getIOMode(), c.ioMode) << c.target << " mode " << c.mode;
        EXPECT_EQ(PtlClose(h), 0);
    }
}

} // namespace
} // namespace ptl
