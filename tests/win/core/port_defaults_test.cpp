// The root's answer for every operation a port kind does not implement, on a bare port and on the
// device-less ports, and the root's waitSendEmpty on a simulated clock.
#include <gtest/gtest.h>

#include <vector>

#include "core/Results.h"
#include "port/WConsole.h"
#include "port/WFile.h"
#include "port/WPort.h"
#include "support/Seam.h"

using namespace ptl;

namespace {

// The smallest concrete port: only the pure operations.
class BarePort : public WPort {
public:
    int sendCount = 0;
    std::vector<int> counts; // successive answers of getSendCount; the last repeats
    size_t asked = 0;

    int getIFType() override { return 0x99; }
    int getIOMode() override { return 0; }
    const char *getIFName() override { return "BARE"; }
    int claim(int) override { return 0; }
    int send(const void *, int, int *, int, int, int) override { return 0; }
    int recv(void *, int, int *, int) override { return 0; }
    DeviceHandle getHandle() override { return kNoHandle; }
    bool isClaimed() override { return false; }
    bool isReady() override { return true; }
    int getSendCount(int *n) override {
        if (counts.empty())
            return WPort::getSendCount(n);
        *n = counts[asked < counts.size() ? asked : counts.size() - 1];
        ++asked;
        return 0;
    }
};

// Every slot from 4 on whose root answer is "not supported", called through the dispatch table.
void expectRootDefaults(WPort &p) {
    char text[8] = "x";
    EXPECT_EQ(p.getName(text), -1);
    EXPECT_STREQ(text, "");
    int v = 7;
    EXPECT_EQ(p.getPortNo(&v), -1);
    EXPECT_EQ(v, -1);
    EXPECT_EQ(p.setPortNo(3), -1);
    v = 7;
    EXPECT_EQ(p.getSubType(&v), -1);
    EXPECT_EQ(v, -1);
    EXPECT_EQ(p.setSubType(1), -1);
    EXPECT_EQ(p.docStart(0, 0), -1);
    EXPECT_EQ(p.docEnd(), -1);
    EXPECT_EQ(p.pageStart(0, 0), -1);
    EXPECT_EQ(p.pageEnd(), -1);
    EXPECT_EQ(p.reset(), -1);
    EXPECT_EQ(p.force(1), -1);
    EXPECT_EQ(p.setBusy(1), -1);
    v = 7;
    EXPECT_EQ(p.getSendCount(&v), -1);
    EXPECT_EQ(v, 0);
    EXPECT_EQ(p.getSendCount(nullptr), kNullArgument);
    v = 7;
    EXPECT_EQ(p.getRecvCount(&v), -1);
    EXPECT_EQ(v, 0);
    EXPECT_EQ(p.getRecvCount(nullptr), kNullArgument);
    EXPECT_EQ(p.clearSend(), -1);
    EXPECT_EQ(p.clearRecv(), -1);
    v = 7;
    EXPECT_EQ(p.reserved28(&v), -1);
    EXPECT_EQ(v, 0);
    EXPECT_EQ(p.reserved28(nullptr), -1);
    EXPECT_EQ(p.reserved29(), -1);
    EXPECT_EQ(p.getSendQueueType(&v), -1);
    EXPECT_EQ(p.setSendQueueType(1), -1);
    EXPECT_EQ(p.getRecvQueueType(&v), -1);
    EXPECT_EQ(p.setRecvQueueType(1), -1);
    EXPECT_EQ(p.getSendQueueSize(), 0);
    EXPECT_EQ(p.getRecvQueueSize(), 0);
    EXPECT_EQ(p.getSendBlockSize(), 0);
    EXPECT_EQ(p.getRecvBlockSize(), 0);
    EXPECT_FALSE(p.setSendQueueSize(100));
    EXPECT_FALSE(p.setRecvQueueSize(100));
    EXPECT_FALSE(p.setSendBlockSize(100));
    EXPECT_FALSE(p.setRecvBlockSize(100));
    EXPECT_EQ(p.waitSendEmpty(0), 0);
    EXPECT_EQ(p.waitSendEmpty(1000), 0); // the root's count is 0: no wait
    COMMTIMEOUTS t{};
    DCB dcb{};
    unsigned u = 0;
    EXPECT_EQ(p.getCommTimeouts(&t), -1);
    EXPECT_EQ(p.setCommTimeouts(&t), -1);
    EXPECT_EQ(p.getModemStatus(&u), -1);
    EXPECT_EQ(p.escapeFunction(1), -1);
    EXPECT_EQ(p.getCommState(&dcb), -1);
    EXPECT_EQ(p.setCommState(&dcb), -1);
    EXPECT_EQ(p.getBaudRate(&v), -1);
    EXPECT_EQ(p.setBaudRate(9600), -1);
    EXPECT_EQ(p.getByteSize(&v), -1);
    EXPECT_EQ(p.setByteSize(8), -1);
    EXPECT_EQ(p.getParity(&v), -1);
    EXPECT_EQ(p.setParity(0), -1);
    EXPECT_EQ(p.getStopBits(&v), -1);
    EXPECT_EQ(p.setStopBits(0), -1);
    EXPECT_EQ(p.getFlow(&v), -1);
    EXPECT_EQ(p.setFlow(0), -1);
    EXPECT_EQ(p.getDeviceIdSize(&v), -1);
    EXPECT_EQ(p.getDeviceId(text, 8), -1);
    EXPECT_EQ(p.reserved61(1, 2), -1);
    unsigned char b = 0;
    EXPECT_EQ(p.queryParInfo(&b), -1);
    EXPECT_EQ(p.setParInfo(1), -1);
    EXPECT_EQ(p.setVendorId(1), -1);
    EXPECT_EQ(p.setProductId(1), -1);
    EXPECT_EQ(p.getLptStatus(&b), -1);
    EXPECT_EQ(p.get1284Id(text, 8), -1);
    EXPECT_EQ(p.vendorSetCommand(), -1);
    EXPECT_EQ(p.vendorGetCommand(), -1);
    EXPECT_EQ(p.softReset(), -1);
    EXPECT_EQ(p.queryDriver(&u), -1);
    unsigned short w = 0;
    EXPECT_EQ(p.queryDeviceWord(&w), -1);
    EXPECT_EQ(p.queryDeviceState(&w), -1);
    EXPECT_EQ(p.setDeviceState(1), -1);
    EXPECT_EQ(p.reserved75(1), -1);
    EXPECT_EQ(p.setAddress(0x0100007F), -1);
    EXPECT_EQ(p.netGetInfo(text), -1);
    EXPECT_EQ(p.netGetId(text), -1);
    EXPECT_EQ(p.netCheck(0), -1);
    EXPECT_EQ(p.startDocPrinter(1, nullptr), -1);
    EXPECT_EQ(p.startPagePrinter(), -1);
    EXPECT_EQ(p.endPagePrinter(), -1);
    EXPECT_EQ(p.endDocPrinter(), -1);
    EXPECT_EQ(p.getJob(1, 1, nullptr, 0, &u), -1);
    EXPECT_EQ(p.setJob(1, 1, nullptr, 0), -1);
    EXPECT_EQ(p.getPrinter(1, nullptr, 0, &u), -1);
    EXPECT_EQ(p.setPrinter(1, nullptr, 0), -1);
    EXPECT_EQ(p.reserved88(0), -1);
    EXPECT_EQ(p.reserved89(0), -1);
    EXPECT_EQ(p.reserved90(), -1);
    EXPECT_EQ(p.reserved91(), -1);
    EXPECT_EQ(p.reserved92(0), -1);
    EXPECT_EQ(p.reserved93(0, 0), -1);
    EXPECT_EQ(p.reserved94(), -1);
    EXPECT_EQ(p.reserved95(), -1);
    EXPECT_EQ(p.deviceStatus(0, nullptr, 0), -1);
    EXPECT_EQ(p.getEnvVars(nullptr, 0), -1);
    EXPECT_EQ(p.getEnvVarsEx(0, 0), -1);
    EXPECT_EQ(p.getCodePage(0), -1);
    EXPECT_EQ(p.setCodePage(0, 0), -1);
    EXPECT_EQ(p.reserved101(0, 0, 0), -1);
    EXPECT_EQ(p.reserved102(0, 0), -1);
    EXPECT_EQ(p.reserved103(0, 0), -1);
    EXPECT_EQ(p.reserved104(), -1);
    EXPECT_EQ(p.lock(0), -1);
    EXPECT_EQ(p.unlock(), -1);
    EXPECT_EQ(p.ioctl(0, nullptr, 0, 0, 0, 0), -1);
    EXPECT_EQ(p.registerCallback(0, nullptr, nullptr), -1);
    EXPECT_EQ(p.unregisterCallback(0, nullptr, nullptr), -1);
}

} // namespace

TEST(PortDefaults, RootAnswersEverySlot) {
    BarePort p;
    EXPECT_EQ(p.sendHook, nullptr);
    EXPECT_EQ(p.recvHook, nullptr);
    EXPECT_EQ(p.release(0), 0);
    EXPECT_EQ(p.release(5000), 0);
    expectRootDefaults(p);
}

TEST(PortDefaults, ConsoleAndDumpKeepTheRootAnswers) {
    WConsole con;
    expectRootDefaults(con);
    EXPECT_EQ(con.getIFType(), 1);
    EXPECT_STREQ(con.getIFName(), "CON");
    EXPECT_EQ(con.getIOMode(), 0);
    EXPECT_TRUE(con.isClaimed());
    WDump dump;
    expectRootDefaults(dump);
    EXPECT_EQ(dump.getIFType(), 1);
    EXPECT_STREQ(dump.getIFName(), "DUMP");
    EXPECT_TRUE(dump.isClaimed());
    EXPECT_EQ(dump.getHandle(), kNoHandle);
}

TEST(PortDefaults, FileKeepsTheRootAnswersButNames) {
    WFile f;
    EXPECT_EQ(f.getIFType(), 3);
    EXPECT_STREQ(f.getIFName(), "FILE");
    EXPECT_FALSE(f.isClaimed());
    int v = 7;
    EXPECT_EQ(f.getPortNo(&v), -1);
    EXPECT_EQ(v, -1);
    EXPECT_EQ(f.docStart(0, 0), -1);
    EXPECT_EQ(f.force(0), -1);
    EXPECT_EQ(f.getSendCount(nullptr), kNullArgument);
    EXPECT_EQ(f.unregisterCallback(0, nullptr, nullptr), -1);
}

// The wait sleeps 50 ms between looks; the simulated clock counts the sleeps instead of taking them.
class WaitSendEmpty : public ::testing::Test {
protected:
    test::Seam seam;
    std::vector<DWORD> sleeps;
    void SetUp() override {
        seam.on<&os::Api::Sleep>([this](DWORD ms) { sleeps.push_back(ms); });
    }
};

TEST_F(WaitSendEmpty, StuckQueueTimesOutAfterFourSleeps) {
    BarePort p;
    p.counts = {10};
    EXPECT_EQ(p.waitSendEmpty(100), kTimeout);
    // The first pass remembers the count, the next three add 50 each; 150 is the first above 100.
    EXPECT_EQ(sleeps, (std::vector<DWORD>{50, 50, 50, 50}));
}

TEST_F(WaitSendEmpty, ZeroTimeoutReturnsAtOnceWithDataQueued) {
    BarePort p;
    p.counts = {10};
    EXPECT_EQ(p.waitSendEmpty(0), 0);
    EXPECT_TRUE(sleeps.empty());
    EXPECT_EQ(p.asked, 0u);
}

TEST_F(WaitSendEmpty, ShrinkingQueueIsWaitedForAsLongAsItTakes) {
    BarePort p;
    for (int n = 1000; n > 0; n -= 10)
        p.counts.push_back(n);
    p.counts.push_back(0);
    EXPECT_EQ(p.waitSendEmpty(60), 0);
    EXPECT_EQ(sleeps.size(), 100u);
}

TEST_F(WaitSendEmpty, StallLimitIsTimeWithoutProgress) {
    BarePort p;
    // Stalls for three looks at 40, moves, stalls again: each stall is shorter than the limit.
    p.counts = {40, 40, 40, 30, 30, 30, 20, 20, 20, 0};
    EXPECT_EQ(p.waitSendEmpty(100), 0);
    EXPECT_EQ(sleeps.size(), 9u);
}

TEST_F(WaitSendEmpty, AllOnesNeverExpires) {
    BarePort p;
    std::vector<int> counts(5000, 7); // 250 s of simulated stall
    counts.push_back(0);
    p.counts = counts;
    EXPECT_EQ(p.waitSendEmpty(-1), 0);
    EXPECT_EQ(sleeps.size(), 5000u);
}

TEST_F(WaitSendEmpty, LargeLimitComparesUnsigned) {
    BarePort p;
    std::vector<int> counts(200, 5);
    counts.push_back(0);
    p.counts = counts;
    // 0x80000000 is negative as an int but a very long limit as an unsigned number.
    EXPECT_EQ(p.waitSendEmpty(static_cast<int>(0x80000000u)), 0);
}
