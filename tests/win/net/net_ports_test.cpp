// The network kinds' factory rows, and the TCP ports against a loopback peer: claim failures and what they
// leave open, the data path of each variant, release with and without a drain time, the graceful close and
// its bound, and the event and window notifications.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <thread>

#include "NetPeers.h"
#include "api/Factory.h"
#include "core/Results.h"
#include "core/Startup.h"
#include "core/Target.h"
#include "net/WNet.h"
#include "support/Seam.h"
#include "support/TestUtil.h"

namespace {

using namespace ptl;
using namespace ptl::test;
using Api = ptl::os::Api;

// A port aimed at a fresh loopback peer, with the notification window the window-notified port needs.
struct Rig {
    std::string ip = nextLoopback();
    std::unique_ptr<TcpPeer> peer;
    std::unique_ptr<WNet> port;
    explicit Rig(int mode, TcpPeer::Mode peerMode = TcpPeer::Mode::ReadToEnd) {
        ensureWinsock();
        ptl::startup(nullptr);
        peer = std::make_unique<TcpPeer>(ip, 0, peerMode);
        port = newPortAs<WNet>(kIfNet, mode);
        port->setAddress(addressOf(ip));
        port->setPortNo(peer->port());
    }
    ~Rig() {
        port.reset();
        ptl::cleanup();
    }
    bool claimConnected() { return port->claim(0) == kOk && peer->waitAccepted(5000); }
};

// Queues all of data on a threaded port (the ring takes what fits; the rest is offered again).
void queueAll(WPort &port, const Bytes &data) {
    size_t off = 0;
    ASSERT_TRUE(waitUntil(
        [&] {
            int w = 0;
            EXPECT_EQ(port.send(data.data() + off, static_cast<int>(data.size() - off), &w, 0, 0, 0), kOk);
            off += static_cast<size_t>(w);
            return off == data.size();
        },
        20000));
}

class NetModes : public ::testing::TestWithParam<int> {};

// Makes the nth call of one seam entry fail.
template <auto Field, int N, auto Result, DWORD Error> void fail(Seam &seam, WNet &) {
    seam.failNth<Field>(N, Result, Error);
}

// Each claim failure of each variant returns its code and leaves nothing open: port 0 (1013), a failed socket
// (1017), nobody listening (1018), the threads and events of the threaded ports (1016, 1011), the event
// selection of WNetE (1027) and the window notification request of WNetW (1027, unregistered again).
TEST_P(NetModes, ClaimFailuresLeaveNothingOpen) {
    struct Case {
        unsigned modes; // one bit per mode
        void (*fault)(Seam &, WNet &);
        int code;
        int error = 0;              // the port's last error, if not 0
        const char *line = nullptr; // the start of a debug line the claim writes
    } cases[] = {
        {0xF, [](Seam &, WNet &p) { p.setPortNo(0); }, kInvalidPortNo},
        {0xF, fail<&Api::socket, 1, INVALID_SOCKET, WSAEMFILE>, kSocketFailed},
        {0xF, [](Seam &, WNet &p) { p.setPortNo(9); }, kCantConnect, WSAECONNREFUSED, "PTL:  iErr=10061\n"},
        {0x6, fail<&Api::CreateThread, 1, nullptr, ERROR_NOT_ENOUGH_MEMORY>, kThreadFailed},
        {0x6, fail<&Api::CreateThread, 2, nullptr, ERROR_NOT_ENOUGH_MEMORY>, kThreadFailed},
        {0x6, fail<&Api::CreateEventA, 1, nullptr, ERROR_NOT_ENOUGH_MEMORY>, kEventsFailed},
        {0x6, fail<&Api::CreateEventA, 3, nullptr, ERROR_NOT_ENOUGH_MEMORY>, kEventsFailed},
        {0x4, fail<&Api::WSAEventSelect, 1, SOCKET_ERROR, WSAENOTSOCK>, kEventSelectFailed, WSAENOTSOCK},
        {0x4, fail<&Api::WSACreateEvent, 1, nullptr, WSA_NOT_ENOUGH_MEMORY>, kEventsFailed},
        {0x8, fail<&Api::WSAAsyncSelect, 1, SOCKET_ERROR, WSAEINVAL>, kEventSelectFailed, WSAEINVAL,
         "PTL: UnRegistSocket("},
    };
    for (const Case &c : cases) {
        if ((c.modes >> GetParam() & 1) == 0)
            continue;
        const auto row = &c - cases;
        Rig rig(GetParam());
        const OpenSnapshot before;
        {
            Seam seam;
            seam.captureDebug();
            c.fault(seam, *rig.port);
            EXPECT_EQ(rig.port->claim(0), c.code) << row;
            EXPECT_TRUE(c.error == 0 || rig.port->lastError() == c.error)
                << row << " " << rig.port->lastError();
            const auto lines = seam.debugLines();
            EXPECT_TRUE(c.line == nullptr ||
                        std::any_of(lines.begin(), lines.end(),
                                    [&](const std::string &l) { return l.rfind(c.line, 0) == 0; }))
                << row;
            EXPECT_FALSE(rig.port->isClaimed()) << row;
        }
        EXPECT_TRUE(before == OpenSnapshot()) << row << "\n" << os::openReport();
    }
}

// A second claim reopens; repeated claims do not pile up handles.
TEST_P(NetModes, RepeatedClaimsLeaveOneConnection) {
    Rig rig(GetParam(), TcpPeer::Mode::Hold);
    const OpenSnapshot before;
    ASSERT_EQ(rig.port->claim(0), kOk);
    const int afterFirst = os::openTotal();
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(rig.port->claim(0), kOk); // the peer's backlog takes the other connections
        EXPECT_EQ(os::openTotal(), afterFirst);
    }
    EXPECT_EQ(rig.port->release(0), kOk);
    EXPECT_TRUE(before == OpenSnapshot()) << os::openReport();
}

INSTANTIATE_TEST_SUITE_P(AllVariants, NetModes, ::testing::Values(0, 1, 2, 3));

// The TCP kind has four modes (WNetW's I/O mode is 0), the printer kind three; of the TCP ports only the
// synchronous one lacks a queue kind.
TEST(NetFactory, ModesOfEachKind) {
    for (const auto &[type, modes] : {std::pair{kIfNet, 4}, std::pair{kIfVqnet, 3}}) {
        for (int mode = -1; mode <= modes; ++mode) {
            auto port = newPort(type, mode);
            if (mode < 0 || mode == modes) {
                EXPECT_EQ(port, nullptr) << type << " " << mode;
                continue;
            }
            ASSERT_NE(port, nullptr) << type << " " << mode;
            EXPECT_EQ(port->getIFType(), type);
            EXPECT_EQ(port->getIOMode(), mode == 3 ? 0 : mode);
            int kind = -1;
            EXPECT_TRUE(type != kIfNet || port->getSendQueueType(&kind) == (mode == 0 ? kNotSupported : kOk))
                << mode;
        }
    }
}

// The synchronous port on the caller's thread, the threaded ones through their queues.
class NetData : public ::testing::TestWithParam<int> {};

TEST_P(NetData, BothWaysBeforeAndAfterTheClaim) {
    Rig rig(GetParam());
    int n = -1;
    char b[16] = {};
    EXPECT_EQ(rig.port->send(b, 4, &n, 0, 0, 0), kWriteFailed); // before the claim
    EXPECT_EQ(rig.port->recv(b, 4, &n, 0), kReadFailed);
    ASSERT_TRUE(rig.claimConnected());
    const Bytes data = testPattern(600000); // more than a threaded ring holds at once
    queueAll(*rig.port, data);
    ASSERT_TRUE(rig.peer->sendToClient({'s', 't', 'a', 't'}));
    Bytes in;
    ASSERT_TRUE(waitUntil([&] {
        int got = 0;
        rig.port->recv(b, sizeof b, &got, 0);
        in.insert(in.end(), b, b + got);
        return in.size() >= 4;
    }));
    EXPECT_EQ(in, (Bytes{'s', 't', 'a', 't'}));
    EXPECT_EQ(rig.port->release(5000), kOk);
    ASSERT_TRUE(rig.peer->waitEnd(5000));
    EXPECT_EQ(rig.peer->received(), data);
}

INSTANTIATE_TEST_SUITE_P(SyncAandE, NetData, ::testing::Values(0, 1, 2));

// ---- WNet -------------------------------------------------------------------------------------------

TEST(WNetSync, ShortAndFailedTransfersReportCountAndSocketError) {
    Rig rig(0);
    ASSERT_EQ(rig.port->claim(0), kOk);
    const Bytes data = testPattern(300);
    int w = -1, got = -1;
    {
        Seam seam;
        seam.on<&Api::send>([&](SOCKET s, const char *b, int n, int f) {
            return seam.original<&Api::send>()(s, b, n > 100 ? 100 : n, f);
        });
        EXPECT_EQ(rig.port->send(data.data(), 300, &w, 0, 0, 0), kWriteFailed);
        EXPECT_EQ(w, 100);
    }
    Seam seam;
    seam.failNth<&Api::send>(1, SOCKET_ERROR, WSAECONNRESET);
    seam.failNth<&Api::recv>(1, SOCKET_ERROR, WSAECONNABORTED);
    char b[4] = {};
    EXPECT_EQ(rig.port->send(b, 4, &w, 0, 0, 0), kWriteFailed);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(rig.port->lastError(), WSAECONNRESET);
    EXPECT_EQ(rig.port->recv(b, 4, &got, 0), kReadFailed);
    EXPECT_EQ(got, 0);
    EXPECT_EQ(rig.port->lastError(), WSAECONNABORTED);
}

TEST(WNetSync, GracefulCloseGivesUpOnAPeerThatNeverCloses) {
    Rig rig(0, TcpPeer::Mode::ReadNeverClose);
    ASSERT_TRUE(rig.claimConnected());
    const OpenSnapshot claimed;
    Seam seam;
    seam.captureDebug();
    const DWORD start = GetTickCount();
    EXPECT_EQ(rig.port->release(5000), kOk);
    const DWORD took = GetTickCount() - start;
    EXPECT_GE(took, kGracefulCloseMs - 100);
    EXPECT_LT(took, kGracefulCloseMs + 2000);
    EXPECT_TRUE(seam.sawDebug("PTL:  gracefulClose: no close from the peer within 5000 ms\n"));
    EXPECT_TRUE(rig.peer->sawEnd()); // our side was shut down all the same
    EXPECT_EQ(os::openTotal(), claimed.total - 1);
}

// ---- WNetA / WNetE ------------------------------------------------------------------------------------

class Threaded : public ::testing::TestWithParam<int> {};

TEST_P(Threaded, StalledQueueEndsTheDrainWith1019) {
    Rig rig(GetParam());
    ASSERT_TRUE(rig.claimConnected());
    Seam seam;
    // Nothing ever goes out: every write fails at once.
    seam.on<&Api::WSASend>(
        [](SOCKET, LPWSABUF, DWORD, LPDWORD, DWORD, LPWSAOVERLAPPED, LPWSAOVERLAPPED_COMPLETION_ROUTINE) {
            WSASetLastError(WSAENOBUFS);
            return SOCKET_ERROR;
        });
    int w = 0;
    ASSERT_EQ(rig.port->send(testPattern(1000).data(), 1000, &w, 0, 0, 0), kOk);
    const DWORD start = GetTickCount();
    EXPECT_EQ(rig.port->release(200), kTimeout);
    EXPECT_LT(GetTickCount() - start, 2000u);
    EXPECT_FALSE(rig.port->isClaimed());
}

// A slow but steady reader gets the whole job: the drain sees each small write move the count.
TEST_P(Threaded, SlowSteadyReaderGetsTheWholeJobAtRelease) {
    Rig rig(GetParam(), TcpPeer::Mode::Slow);
    ASSERT_TRUE(rig.claimConnected());
    const int small = 4096;
    setsockopt(rig.port->socketHandle(), SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char *>(&small),
               sizeof small);
    const Bytes data = testPattern(60000);
    queueAll(*rig.port, data);
    EXPECT_EQ(rig.port->release(400), kOk);
    ASSERT_TRUE(rig.peer->waitEnd(5000));
    EXPECT_EQ(rig.peer->received(), data);
}

TEST_P(Threaded, ConnectionResetByThePeerMakesSendFail) {
    Rig rig(GetParam(), TcpPeer::Mode::Hold);
    Seam seam;
    seam.captureDebug();
    ASSERT_TRUE(rig.claimConnected());
    rig.peer->resetClient();
    const Bytes data = testPattern(4096);
    int r = kOk;
    DWORD error = 0;
    const DWORD start = GetTickCount();
    // Queued bytes reach the reset connection; from then on send reports the failure and the socket's
    // error instead of queueing.
    EXPECT_TRUE(waitUntil(
        [&] {
            int w = 0;
            r = rig.port->send(data.data(), static_cast<int>(data.size()), &w, 0, 0, 0);
            error = GetLastError();
            return r == kWriteFailed;
        },
        10000));
    EXPECT_EQ(error, static_cast<DWORD>(WSAECONNRESET));
    EXPECT_LT(GetTickCount() - start, 2000u); // at the next send, not after a drain
    EXPECT_TRUE(seam.sawDebug("PTL:  connection lost 10054\n"));
    EXPECT_EQ(rig.port->release(0), kOk);
    // A new claim starts with a sound connection again.
    TcpPeer again(rig.ip, 0, TcpPeer::Mode::ReadToEnd);
    rig.port->setPortNo(again.port());
    ASSERT_EQ(rig.port->claim(0), kOk);
    int w = 0;
    EXPECT_EQ(rig.port->send(data.data(), 10, &w, 0, 0, 0), kOk);
    EXPECT_EQ(w, 10);
    rig.port->release(1000);
}

INSTANTIATE_TEST_SUITE_P(AandE, Threaded, ::testing::Values(1, 2));

TEST(WNetE, PeerCloseIsLoggedAndThePortStaysClaimed) {
    Rig rig(2);
    Seam seam;
    seam.captureDebug();
    ASSERT_TRUE(rig.claimConnected());
    EXPECT_TRUE(waitUntil([&] { return seam.sawDebug("PTL: WNetE::procWait() Start\n"); }));
    rig.peer->closeClient();
    EXPECT_TRUE(waitUntil([&] { return seam.sawDebug("PTL:  FD_CLOSE 0\n"); }));
    EXPECT_TRUE(rig.port->isClaimed());
    rig.port->release(0);
    EXPECT_TRUE(seam.sawDebug("PTL: WNetE::procWait() End\n"));
}

// ---- WNetW ---------------------------------------------------------------------------------------------

// Pumps this thread's messages for ms, or until cond holds.
bool pumpUntil(const std::function<bool()> &cond, DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&m);
        if (cond())
            return true;
        if (GetTickCount() - start > ms)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

TEST(WNetW, ClaimBeforeStartupIs10000WithoutASocket) {
    ensureWinsock();
    auto port = newPortAs<WNet>(kIfNet, 3);
    port->setAddress(addressOf(nextLoopback()));
    port->setPortNo(9100);
    Seam seam;
    seam.failNth<&Api::socket>(1, INVALID_SOCKET, WSAEMFILE); // a socket made first would answer 1017
    EXPECT_EQ(port->claim(0), kSystemCallFailed);
}

TEST(WNetW, NotificationsReachThePortThroughTheWindow) {
    Rig rig(3);
    Seam seam;
    seam.captureDebug();
    ASSERT_TRUE(rig.claimConnected());
    const SOCKET s = rig.port->socketHandle();
    char line[64];
    snprintf(line, sizeof line, "PTL:  WSAAsyncSelect(%08X)=0\n",
             static_cast<unsigned>(reinterpret_cast<uintptr_t>(notificationWindow())));
    EXPECT_TRUE(seam.sawDebug(line));

    // Nothing waiting: 1102 at once, with WSAEWOULDBLOCK recorded.
    char buf[16];
    int got = -1;
    EXPECT_EQ(rig.port->recv(buf, sizeof buf, &got, 0), kReadFailed);
    EXPECT_EQ(rig.port->lastError(), WSAEWOULDBLOCK);

    // Pump away what the connection itself announced (FD_WRITE), then data arrives: one notification.
    const std::string read = "PTL: WNetW::WmWsaAsyncSelect(0001)\n";
    pumpUntil([] { return false; }, 200);
    const int before = seam.debugCount(read);
    ASSERT_TRUE(rig.peer->sendToClient({'h', 'i'}));
    EXPECT_TRUE(pumpUntil([&] { return seam.debugCount(read) > before; }, 5000));
    pumpUntil([] { return false; }, 200);
    EXPECT_EQ(seam.debugCount(read), before + 1);
    EXPECT_EQ(rig.port->recv(buf, sizeof buf, &got, 0), kOk);
    EXPECT_EQ(got, 2);

    EXPECT_EQ(rig.port->release(1000), kOk);
    // A late notification for the closed socket reaches no port.
    const size_t lines = seam.debugLines().size();
    SendMessageA(notificationWindow(), kMsgSocket, static_cast<WPARAM>(s), FD_READ);
    EXPECT_EQ(seam.debugLines().size(), lines);
}

} // namespace
