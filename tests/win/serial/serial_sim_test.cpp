// Serial ports against the simulated device: settings, modem lines for force / setBusy / isReady per
// flow mode, the private alias, the event-driven port's loop, and every claim failure.
#include <gtest/gtest.h>

#include <cstring>
#include <future>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "api/HandleTable.h"
#include "os/Syscalls.h"
#include "ptl/ptl.h"
#include "serial/WCom.h"
#include "serial/WComA.h"
#include "serial/WComE.h"
#include "sim/SimComm.h"
#include "support/Seam.h"
#include "support/TestUtil.h"

namespace ptl {
namespace {

using test::Seam;
using test::SimComm;
using test::waitUntil;
using namespace std::chrono_literals;

class Serial : public ::testing::Test {
protected:
    void SetUp() override {
        seam.captureDebug();
        baseline = os::openTotal();
    }
    void TearDown() override {
        PtlClose(h);
        EXPECT_EQ(os::openTotal(), baseline) << os::openReport();
    }
    // The flow bits of a DCB: CTS, DSR, DTR control, XON/XOFF out and in, RTS control.
    static std::vector<unsigned> flowOf(const DCB &d) {
        return {d.fOutxCtsFlow, d.fOutxDsrFlow, d.fDtrControl, d.fOutX, d.fInX, d.fRtsControl};
    }
    DCB lastSet() {
        auto states = dev.statesSet();
        return states.empty() ? DCB{} : states.back();
    }
    static int recvCount(WPort &p) {
        int n = -1;
        p.getRecvCount(&n);
        return n;
    }

    Seam seam;
    SimComm dev{seam, "\\\\.\\COM3"};
    int baseline = 0;
    const int h = PtlOpenByName("COM3", 0); // the public functions reach com through h
    WCom &com = static_cast<WCom &>(*findPort(h));
};

TEST_F(Serial, SettersWorkOnTheStoredDcbWhileNotClaimed) {
    struct Row {
        int (WCom::*set)(int);
        int good, bad, refusal;
    } rows[] = {{&WCom::setPortNo, 32, 33, kInvalidPortNo},     {&WCom::setPortNo, 1, 0, kInvalidPortNo},
                {&WCom::setBaudRate, 9600, 7200, kBadBaudRate}, {&WCom::setByteSize, 4, 3, kBadByteSize},
                {&WCom::setByteSize, 8, 9, kBadByteSize},       {&WCom::setParity, 4, 5, kBadParity},
                {&WCom::setStopBits, 2, 3, kBadStopBits},       {&WCom::setFlow, 4, 5, kBadFlow}};
    for (const Row &r : rows) {
        EXPECT_EQ((com.*r.set)(r.good), 0) << r.good;
        EXPECT_EQ((com.*r.set)(r.bad), r.refusal) << r.bad;
    }
    int v = 0;
    EXPECT_EQ(com.getFlow(&v), 0);
    EXPECT_EQ(v, 4);
    EXPECT_TRUE(dev.calls().empty()); // the device is never asked
}

TEST_F(Serial, InitialDcbAndTheFlowTable) {
    const DCB &d = com.storedDcb();
    EXPECT_EQ(d.DCBlength, 28u);
    EXPECT_EQ(d.BaudRate, 9600u);
    EXPECT_EQ(reinterpret_cast<const uint32_t *>(&d)[2], 0x1013u); // the flag word
    EXPECT_EQ(d.ByteSize, 8);
    EXPECT_EQ(d.XonChar, 0x11);
    EXPECT_EQ(d.XoffChar, 0x13);
    struct Row {
        int flow;
        unsigned cts, dsr, dtr, outX, inX, rts;
    } rows[] = {{1, 0, 1, DTR_CONTROL_HANDSHAKE, 0, 0, RTS_CONTROL_ENABLE},
                {2, 1, 0, DTR_CONTROL_ENABLE, 0, 0, RTS_CONTROL_HANDSHAKE},
                {3, 0, 0, DTR_CONTROL_ENABLE, 1, 1, RTS_CONTROL_ENABLE},
                {4, 1, 1, DTR_CONTROL_HANDSHAKE, 0, 0, RTS_CONTROL_HANDSHAKE},
                {0, 0, 0, DTR_CONTROL_ENABLE, 0, 0, RTS_CONTROL_ENABLE}};
    for (const Row &r : rows) {
        ASSERT_EQ(com.setFlow(r.flow), 0);
        EXPECT_EQ(flowOf(d), (std::vector<unsigned>{r.cts, r.dsr, r.dtr, r.outX, r.inX, r.rts})) << r.flow;
        EXPECT_EQ(d.fBinary + d.fParity, 2u); // untouched bits
    }
}

TEST_F(Serial, ClaimAppliesTheStoredSettingsAndReleaseDropsTheLines) {
    ASSERT_EQ(com.setBaudRate(19200), 0);
    ASSERT_EQ(com.claim(0), 0);
    ASSERT_EQ(com.claim(0), 0); // a second claim reopens
    EXPECT_EQ(dev.count("CreateFileA \\\\.\\COM3"), 2);
    EXPECT_EQ(dev.count("CloseHandle"), 1);
    EXPECT_STREQ(com.devicePath(), "\\\\.\\COM3");
    EXPECT_TRUE(seam.sawDebug("PTL: WCom::claim(3)\n"));
    EXPECT_TRUE(seam.sawDebug("PTL: startComm\n"));
    EXPECT_EQ(lastSet().BaudRate, 19200u);
    const COMMTIMEOUTS t = dev.timeouts(), want{100, 0, 2000, 0, 2000};
    EXPECT_EQ(memcmp(&t, &want, sizeof t), 0);

    // A setter the device refuses keeps the stored value (one it takes: the force test).
    dev.failNth("SetCommState", 1, ERROR_INVALID_PARAMETER);
    EXPECT_EQ(com.setParity(2), kBadParity);
    int parity = 0;
    com.getParity(&parity);
    EXPECT_EQ(parity, 2);

    EXPECT_TRUE(dev.dtr());
    EXPECT_EQ(com.release(5000), 0);
    auto calls = dev.calls(); // CLRDTR, CLRRTS, and the alias goes after the handle
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(calls.end() - 4, calls.end()),
              (std::vector<std::string>{"EscapeCommFunction 6", "EscapeCommFunction 4", "CloseHandle",
                                        "DefineDosDeviceA 2 PtlCOM3 -"}));
    EXPECT_TRUE(seam.sawDebug("PTL: WCom::release(5000)\n"));
    const int lines = seam.debugCount("PTL: WCom::release(0)\n"); // the reopen's
    EXPECT_EQ(com.release(0), 0);                                 // not claimed: nothing, no line
    EXPECT_EQ(seam.debugCount("PTL: WCom::release(0)\n"), lines);
}

TEST_F(Serial, ReadinessFollowsTheHoldBitOfTheConfiguredFlow) {
    EXPECT_FALSE(com.isReady()); // not claimed
    ASSERT_EQ(com.claim(0), 0);
    EXPECT_FALSE(com.isReady()); // flow 0: nothing to judge by, even on an idle line
    struct Case {
        int flow;
        bool cts, dsr, xoff, ready;
    } cases[] = {
        {1, false, false, false, true}, {1, true, false, true, true},   {1, false, true, false, false},
        {2, false, true, true, true},   {2, true, false, false, false}, {3, true, true, false, true},
        {3, false, false, true, false}, {4, true, false, false, true},  {4, false, true, false, false}};
    for (const Case &c : cases) {
        ASSERT_EQ(com.setFlow(c.flow), 0);
        dev.setHold(c.cts, c.dsr, c.xoff);
        EXPECT_EQ(com.isReady(), c.ready) << "flow " << c.flow << " cts " << c.cts << " dsr " << c.dsr;
    }
    dev.failNth("ClearCommError", 1, ERROR_INVALID_HANDLE);
    EXPECT_FALSE(com.isReady());
}

// A setter while forced re-applies the stored settings with the output flow still off.
TEST_F(Serial, ForceSuspendsOutputFlowOnceHoldsThroughSettersAndRestoresTheStoredBits) {
    DCB custom = com.storedDcb();
    custom.fOutxCtsFlow = 1;
    custom.fOutxDsrFlow = 1;
    custom.fOutX = 1;
    custom.fInX = 1;
    custom.fRtsControl = RTS_CONTROL_HANDSHAKE;
    EXPECT_EQ(com.setCommState(&custom), kBadCommState); // stored while not claimed, applied at claim
    ASSERT_EQ(com.claim(0), 0);
    const size_t before = dev.statesSet().size();
    EXPECT_EQ(com.force(0), 0); // already 0: the device is not touched
    EXPECT_EQ(dev.statesSet().size(), before);
    EXPECT_EQ(PtlForce(h, 1), 0);
    EXPECT_EQ(PtlForce(h, 1), 0);
    ASSERT_EQ(dev.statesSet().size(), before + 1);
    ASSERT_EQ(com.setBaudRate(19200), 0);
    EXPECT_EQ(lastSet().BaudRate, 19200u);
    // Output flow off; DTR, input flow and RTS stay.
    EXPECT_EQ(flowOf(lastSet()),
              (std::vector<unsigned>{0, 0, DTR_CONTROL_ENABLE, 0, 1, RTS_CONTROL_HANDSHAKE}));

    // Reading the state back while forced does not overwrite the configured flow bits.
    DCB read{};
    EXPECT_EQ(com.getCommState(&read), 0);
    EXPECT_EQ(read.fOutxCtsFlow, 1u);

    EXPECT_EQ(PtlForce(h, 0), 0);
    custom.BaudRate = 19200;
    DCB restored = lastSet();
    EXPECT_EQ(memcmp(&restored, &custom, sizeof custom), 0);
}

TEST_F(Serial, AFailedForceCanBeAskedForAgain) {
    ASSERT_EQ(com.claim(0), 0);
    dev.failNth("SetCommState", 1, ERROR_GEN_FAILURE);
    EXPECT_EQ(com.force(1), kStateFailed);
    EXPECT_EQ(com.force(1), 0);
    EXPECT_EQ(lastSet().fOutxCtsFlow, 0u);
    dev.failNth("GetCommState", 1, ERROR_GEN_FAILURE);
    EXPECT_EQ(com.force(0), kStateFailed);
    EXPECT_EQ(com.release(0), 0);
    EXPECT_EQ(com.force(0), kStateFailed); // not claimed
}

// Busy drops the input handshake line of the flow mode (DTR for 1, RTS for 2), a setter keeps it dropped,
// and not-busy restores it.
TEST_F(Serial, BusyDropsTheInputHandshakeLineOfTheFlowMode) {
    ASSERT_EQ(com.claim(0), 0);
    for (int flow : {1, 2}) {
        ASSERT_EQ(com.setFlow(flow), 0);
        const size_t at = flow == 1 ? 2 : 5;
        EXPECT_EQ(com.setBusy(1), 0);
        EXPECT_EQ(flowOf(lastSet())[at], 0u) << flow; // DTR_CONTROL_DISABLE, RTS_CONTROL_DISABLE
        EXPECT_FALSE(flow == 1 ? dev.dtr() : dev.rts());
        ASSERT_EQ(com.setParity(2), 0);
        EXPECT_EQ(flowOf(lastSet())[at], 0u) << flow;
        EXPECT_EQ(com.setBusy(0), 0);
        EXPECT_EQ(flowOf(lastSet())[at], 2u) << flow; // the handshake again
        EXPECT_EQ(flowOf(com.storedDcb())[at], 2u);
    }
    for (int flow : {0, 3}) {
        ASSERT_EQ(com.setFlow(flow), 0);
        EXPECT_EQ(com.setBusy(1), kSystemCallFailed) << flow;
    }
    ASSERT_EQ(com.setFlow(2), 0);
    dev.failNth("GetCommState", 1, ERROR_GEN_FAILURE);
    EXPECT_EQ(com.setBusy(1), kStateFailed);
    dev.failNth("SetCommState", 1, ERROR_GEN_FAILURE);
    EXPECT_EQ(com.setBusy(1), kBadCommState);
}

TEST_F(Serial, PurgesAndTransferFailures) {
    ASSERT_EQ(com.claim(0), 0);
    int n = 0;
    char buf[8];
    EXPECT_EQ(com.clearSend(), 0);
    EXPECT_EQ(com.clearRecv(), 0);
    EXPECT_EQ(dev.count("PurgeComm 4"), 1);
    EXPECT_EQ(dev.count("PurgeComm 8"), 1);
    dev.failNth("PurgeComm", 1, ERROR_GEN_FAILURE);
    EXPECT_EQ(com.clearRecv(), kPurgeFailed);
    dev.failNth("WriteFile", 1, ERROR_GEN_FAILURE);
    EXPECT_EQ(com.send("a", 1, &n, 0, 0, 0), kWriteFailed);
    EXPECT_EQ(n, 0);
    dev.failNth("ReadFile", 1, ERROR_GEN_FAILURE);
    EXPECT_EQ(com.recv(buf, 8, &n, 0), kReadFailed);
    EXPECT_EQ(com.escapeFunction(SETRTS), 0);
    EXPECT_TRUE(dev.rts());
}

// --- Private alias --------------------------------------------------------------------------------

// The alias points at the first name target that is not the spooler's pipe, and only on the NT family.
TEST(SerialAlias, ChosenFromTheNameTargetsAndRemovedAtRelease) {
    const std::string pipe = "\\Device\\NamedPipe\\Spooler\\COM3", serial = "\\Device\\Serial2";
    struct Case {
        bool nt;
        std::vector<std::string> targets;
        const char *path;
        int lookups, defines;
    } cases[] = {{true, {pipe, serial}, "\\\\.\\PtlCOM3", 1, 1},
                 {true, {pipe}, "\\\\.\\COM3", 1, 0},
                 {false, {serial}, "\\\\.\\COM3", 0, 0}};
    for (const Case &c : cases) {
        Seam seam;
        SimComm dev{seam, "\\\\.\\COM3"};
        dev.setNt(c.nt);
        dev.setDosTargets("COM3", c.targets);
        WCom com;
        com.setPortNo(3);
        ASSERT_EQ(com.claim(0), 0);
        EXPECT_STREQ(com.devicePath(), c.path);
        EXPECT_EQ(dev.count("QueryDosDeviceA COM3"), c.lookups);
        EXPECT_EQ(dev.count("DefineDosDeviceA 1 PtlCOM3 " + serial), c.defines); // DDD_RAW_TARGET_PATH
        EXPECT_EQ(dev.count(std::string("CreateFileA ") + c.path), 1);
        EXPECT_EQ(dev.aliases().size(), static_cast<size_t>(c.defines));
        EXPECT_EQ(com.release(0), 0);
        EXPECT_TRUE(dev.aliases().empty());
        EXPECT_EQ(os::openCount(os::Res::DosDevice), 0);
    }
}

// --- Claims and the threaded variants --------------------------------------------------------------

// Every claim failure answers its code, keeps the system error where there is one, and leaves nothing open.
template <class P> void expectEveryClaimFailureLeavesNothingOpen(SimComm &dev, int baseline) {
    auto p = std::make_unique<P>();
    p->setPortNo(33);
    EXPECT_EQ(p->claim(0), kInvalidPortNo);
    p->setPortNo(3);
    dev.setDosTargets("COM3", {"\\Device\\Serial2"});
    dev.failNth("CreateFileA", 1, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(p->claim(0), kCantClaim);
    EXPECT_EQ(p->lastOsError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    for (const char *entry : {"SetCommState", "SetCommTimeouts"}) {
        dev.failNth(entry, 1, ERROR_INVALID_PARAMETER);
        EXPECT_EQ(p->claim(0), kSystemCallFailed) << entry;
        EXPECT_FALSE(dev.isOpen());
    }
    if constexpr (!std::is_same_v<P, WCom>) {
        for (int n = 1; n <= 5; ++n) {
            Seam faults;
            faults.failNth<&os::Api::CreateEventA>(n, nullptr, ERROR_NOT_ENOUGH_MEMORY);
            EXPECT_EQ(p->claim(0), kEventsFailed);
        }
        for (int n = 1; n <= 2; ++n) {
            Seam faults;
            faults.failNth<&os::Api::CreateThread>(n, nullptr, ERROR_NOT_ENOUGH_MEMORY);
            EXPECT_EQ(p->claim(0), kThreadFailed);
            EXPECT_FALSE(p->isClaimed());
        }
    }
    EXPECT_FALSE(dev.isOpen());
    EXPECT_TRUE(dev.aliases().empty());
    EXPECT_EQ(os::openTotal(), baseline) << os::openReport();
}

TEST_F(Serial, ClaimFailuresOfEachVariantLeaveNothingOpen) {
    expectEveryClaimFailureLeavesNothingOpen<WCom>(dev, baseline);
    expectEveryClaimFailureLeavesNothingOpen<WComA>(dev, baseline);
    dev.failNth("SetCommMask", 1, ERROR_INVALID_PARAMETER);
    WComE p;
    p.setPortNo(3);
    EXPECT_EQ(p.claim(0), kSystemCallFailed);
    expectEveryClaimFailureLeavesNothingOpen<WComE>(dev, baseline);
}

TEST_F(Serial, ThreadedPortClearsALineErrorAfterAFailedRead) {
    WComA p;
    p.setPortNo(3);
    dev.failNth("ReadFile", 1, ERROR_OPERATION_ABORTED);
    ASSERT_EQ(p.claim(0), 0);
    ASSERT_TRUE(waitUntil([&] { return dev.count("ClearCommError") >= 1; }));
    EXPECT_TRUE(seam.sawDebug("PTL: ReadFile dwErr=995\n"));
    dev.feed("after");
    ASSERT_TRUE(waitUntil([&] { return recvCount(p) == 5; }));
}

TEST_F(Serial, EventDrivenReadsEachBurstOnceAndOnlyLogsALineError) {
    WComE port;
    port.setPortNo(3);
    ASSERT_EQ(port.claim(0), 0);
    EXPECT_EQ(dev.count("SetCommMask 129"), 1); // EV_RXCHAR | EV_ERR
    ASSERT_TRUE(waitUntil([&] { return dev.count("WaitCommEvent") == 1; }));
    EXPECT_EQ(dev.readCalls(), 0); // a silent line is never read

    dev.feed("first burst");
    ASSERT_TRUE(waitUntil([&] { return recvCount(port) == 11 && dev.count("WaitCommEvent") == 2; }));
    EXPECT_EQ(seam.debugCount("PTL: dwEvt=0001\n"), 1);
    EXPECT_EQ(seam.debugCount("PTL:  EV_RXCHAR\n"), 1);
    EXPECT_EQ(dev.readCalls(), 1);
    dev.feed("second");
    ASSERT_TRUE(waitUntil([&] { return recvCount(port) == 17 && dev.count("WaitCommEvent") == 3; }));
    EXPECT_EQ(seam.debugCount("PTL: dwEvt=0001\n"), 2);
    EXPECT_EQ(dev.readCalls(), 2);
    dev.lineError(CE_FRAME); // logged; nothing is read or queued
    ASSERT_TRUE(waitUntil([&] { return dev.count("WaitCommEvent") == 4; }));
    EXPECT_TRUE(seam.sawDebug("PTL: dwEvt=0080\n"));
    EXPECT_TRUE(seam.sawDebug("PTL:  EV_ERR\n"));
    EXPECT_EQ(recvCount(port), 17);
    EXPECT_EQ(dev.readCalls(), 2);
    char buf[32];
    int got = 0;
    EXPECT_EQ(port.recv(buf, sizeof buf, &got, 0), 0);
    EXPECT_EQ(std::string(buf, got), "first burstsecond");
    EXPECT_EQ(port.recv(buf, sizeof buf, &got, 0), 0);
    EXPECT_EQ(got, 0);
}

TEST_F(Serial, EventDrivenReleaseZeroOnASilentLineEndsTheWaitThroughTheEventMask) {
    WComE port;
    port.setPortNo(3);
    ASSERT_EQ(port.claim(0), 0);
    ASSERT_TRUE(waitUntil([&] { return dev.count("WaitCommEvent") == 1; }));
    auto released = std::async(std::launch::async, [&] { return port.release(0); });
    ASSERT_EQ(released.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(released.get(), 0);
    EXPECT_EQ(dev.count("SetCommMask 0"), 1);
    EXPECT_TRUE(seam.sawDebug("PTL: WComE::release(0)\n"));
    EXPECT_TRUE(seam.sawDebug("PTL: WComE::procWait() End\n"));
    EXPECT_TRUE(seam.sawDebug("PTL: WComE::procSend() End\n"));
    EXPECT_FALSE(dev.isOpen());
}

} // namespace
} // namespace ptl
