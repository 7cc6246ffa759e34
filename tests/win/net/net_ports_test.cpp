// The TCP ports against a loopback peer: claim failures and what they leave open, the data path of each
// variant, release with and without a drain time, the graceful close and its bound, and the event and
// window notifications.
#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "NetPeers.h"
#include "core/Results.h"
#include "core/Startup.h"
#include "core/Target.h"
#include "net/WNet.h"
#include "net/WNetA.h"
#include "net/WNetE.h"
#include "net/WNetW.h"
#include "support/Seam.h"
#include "support/TestUtil.h"

namespace {

using namespace ptl;
using namespace ptl::test;
using Api = ptl::os::Api;

// A port aimed at a fresh loopback peer.
struct Rig {
    std::string ip = nextLoopback();
    std::unique_ptr<TcpPeer> peer;
    std::unique_ptr<WNet> port;
    Rig(int mode, TcpPeer::Mode peerMode = TcpPeer::Mode::ReadToEnd) {
        ensureWinsock();
        peer = std::make_unique<TcpPeer>(ip, 0, peerMode);
        port = newPortAs<WNet>(kIfNet, mode);
        port->setAddress(addressOf(ip));
        port->setPortNo(peer->port());
    }
};

// Queues all of data on a threaded port (the ring takes what fits; the rest is offered again).
void queueAll(WPort &port, const Bytes &data) {
    size_t off = 0;
    const DWORD start = GetTickCount();
    while (off < data.size() && since(start) < 20000) {
        int w = 0;
        ASSERT_EQ(port.send(data.data() + off, static_cast<int>(data.size() - off), &w, 0, 0, 0), kOk);
        off += static_cast<size_t>(w);
        if (w == 0)
            Sleep(1);
    }
    ASSERT_EQ(off, data.size());
}

class NetModes : public ::testing::TestWithParam<int> {};

TEST_P(NetModes, IdentityAndPortNumberModulo) {
    auto port = newPortAs<WNet>(kIfNet, GetParam());
    EXPECT_EQ(port->getIFType(), kIfNet);
    EXPECT_STREQ(port->getIFName(), "NET");
    EXPECT_EQ(port->getIOMode(), GetParam() == 3 ? 0 : GetParam());
    EXPECT_EQ(port->setPortNo(70000), kOk);
    int no = 0;
    EXPECT_EQ(port->getPortNo(&no), kOk);
    EXPECT_EQ(no, 4464);
    EXPECT_EQ(port->reserved75(1), kOk);
    EXPECT_TRUE(port->isReady());
    EXPECT_FALSE(port->isClaimed());
    EXPECT_EQ(port->getHandle(), static_cast<DeviceHandle>(INVALID_SOCKET));
}

TEST_P(NetModes, ReleaseWhenNeverClaimedIsSilent) {
    auto port = newPortAs<WNet>(kIfNet, GetParam());
    Seam seam;
    seam.captureDebug();
    EXPECT_EQ(port->release(100), kOk);
    EXPECT_TRUE(seam.debugLines().empty());
}

TEST_P(NetModes, PortZeroIs1013AndCreatesNoSocket) {
    ensureWinsock();
    Seam seam;
    int sockets = 0;
    seam.on<&Api::socket>([&](int a, int t, int p) {
        ++sockets;
        return seam.original<&Api::socket>()(a, t, p);
    });
    ptl::startup(nullptr); // WNetW needs the window to get as far as the port check
    auto port = newPortAs<WNet>(kIfNet, GetParam());
    port->setAddress(addressOf("127.10.0.1"));
    port->setPortNo(0);
    EXPECT_EQ(port->claim(0), kInvalidPortNo);
    EXPECT_EQ(sockets, 0);
    EXPECT_FALSE(port->isClaimed());
    ptl::cleanup();
}

TEST_P(NetModes, NobodyListeningIs1018AndLeavesNothingOpen) {
    ensureWinsock();
    ptl::startup(nullptr);
    const OpenSnapshot before;
    {
        auto port = newPortAs<WNet>(kIfNet, GetParam());
        port->setAddress(addressOf(nextLoopback()));
        port->setPortNo(9);
        Seam seam;
        seam.captureDebug();
        EXPECT_EQ(port->claim(0), kCantConnect);
        EXPECT_EQ(port->lastError(), WSAECONNREFUSED);
        EXPECT_TRUE(seam.sawDebug("PTL:  iErr=10061\n"));
        EXPECT_FALSE(port->isClaimed());
    }
    EXPECT_TRUE(before == OpenSnapshot()) << os::openReport();
    ptl::cleanup();
}

TEST_P(NetModes, SocketCreationFailureIs1017) {
    Rig rig(GetParam());
    ptl::startup(nullptr);
    const OpenSnapshot before;
    {
        Seam seam;
        seam.failNth<&Api::socket>(1, INVALID_SOCKET, WSAEMFILE);
        EXPECT_EQ(rig.port->claim(0), kSocketFailed);
        EXPECT_FALSE(rig.port->isClaimed());
    }
    EXPECT_TRUE(before == OpenSnapshot()) << os::openReport();
    ptl::cleanup();
}

TEST_P(NetModes, ClaimTwiceReopensAndLeavesOneSocket) {
    Rig rig(GetParam(), TcpPeer::Mode::Hold);
    ptl::startup(nullptr);
    const OpenSnapshot before;
    ASSERT_EQ(rig.port->claim(0), kOk);
    const int afterFirst = os::openTotal();
    ASSERT_EQ(rig.port->claim(0), kOk); // the peer's backlog takes the second connection
    EXPECT_EQ(os::openTotal(), afterFirst);
    EXPECT_EQ(rig.port->release(0), kOk);
    EXPECT_TRUE(before == OpenSnapshot()) << os::openReport();
    ptl::cleanup();
}

INSTANTIATE_TEST_SUITE_P(AllVariants, NetModes, ::testing::Values(0, 1, 2, 3));

// ---- WNet -------------------------------------------------------------------------------------------

TEST(WNetSync, SendsAndReceivesOnTheCallersThread) {
    Rig rig(0);
    ASSERT_EQ(rig.port->claim(0), kOk);
    ASSERT_TRUE(rig.peer->waitAccepted(5000));
    const Bytes data = testPattern(10000);
    int w = 0;
    EXPECT_EQ(rig.port->send(data.data(), static_cast<int>(data.size()), &w, 0, 0, 0), kOk);
    EXPECT_EQ(w, 10000);
    ASSERT_TRUE(rig.peer->sendToClient({'o', 'k'}));
    char buf[16];
    int got = 0;
    EXPECT_EQ(rig.port->recv(buf, sizeof buf, &got, 0), kOk); // blocks until the bytes are there
    EXPECT_EQ(got, 2);
    EXPECT_EQ(rig.port->release(1000), kOk);
    ASSERT_TRUE(rig.peer->waitEnd(5000));
    EXPECT_EQ(rig.peer->received(), data);
}

TEST(WNetSync, ShortSendIs1101WithTheCountSent) {
    Rig rig(0);
    ASSERT_EQ(rig.port->claim(0), kOk);
    Seam seam;
    seam.on<&Api::send>([&](SOCKET s, const char *b, int n, int f) {
        return seam.original<&Api::send>()(s, b, n > 100 ? 100 : n, f);
    });
    const Bytes data = testPattern(300);
    int w = -1;
    EXPECT_EQ(rig.port->send(data.data(), 300, &w, 0, 0, 0), kWriteFailed);
    EXPECT_EQ(w, 100);
}

TEST(WNetSync, FailedSendAndRecvRecordTheSocketError) {
    Rig rig(0);
    ASSERT_EQ(rig.port->claim(0), kOk);
    Seam seam;
    seam.failNth<&Api::send>(1, SOCKET_ERROR, WSAECONNRESET);
    seam.failNth<&Api::recv>(1, SOCKET_ERROR, WSAECONNABORTED);
    int w = -1, got = -1;
    char b[4] = {};
    EXPECT_EQ(rig.port->send(b, 4, &w, 0, 0, 0), kWriteFailed);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(rig.port->lastError(), WSAECONNRESET);
    EXPECT_EQ(rig.port->recv(b, 4, &got, 0), kReadFailed);
    EXPECT_EQ(got, 0);
    EXPECT_EQ(rig.port->lastError(), WSAECONNABORTED);
}

TEST(WNetSync, ReleaseZeroClosesAtOnceWithoutShutdown) {
    Rig rig(0);
    ASSERT_EQ(rig.port->claim(0), kOk);
    Seam seam;
    seam.captureDebug();
    int shutdowns = 0;
    seam.on<&Api::shutdown>([&](SOCKET s, int how) {
        ++shutdowns;
        return seam.original<&Api::shutdown>()(s, how);
    });
    EXPECT_EQ(rig.port->release(0), kOk);
    EXPECT_EQ(shutdowns, 0);
    EXPECT_FALSE(rig.port->isClaimed());
    EXPECT_TRUE(seam.sawDebug("PTL: WNet::release(0)\n"));
}

TEST(WNetSync, ReleaseWithTimeHalfClosesDiscardsThenCloses) {
    Rig rig(0, TcpPeer::Mode::ReadNeverClose);
    ASSERT_EQ(rig.port->claim(0), kOk);
    ASSERT_TRUE(rig.peer->waitAccepted(5000));
    // The peer answers our half-close with bytes, then closes its side a little later.
    std::thread closer([&] {
        if (!rig.peer->waitEnd(5000))
            return;
        rig.peer->sendToClient(testPattern(1000));
        Sleep(300);
        rig.peer->closeClient();
    });
    Seam seam;
    std::vector<int> hows;
    seam.on<&Api::shutdown>([&](SOCKET s, int how) {
        hows.push_back(how);
        return seam.original<&Api::shutdown>()(s, how);
    });
    const DWORD start = GetTickCount();
    EXPECT_EQ(rig.port->release(1), kOk);
    const DWORD took = since(start);
    closer.join();
    EXPECT_EQ(hows, (std::vector<int>{SD_SEND, SD_BOTH}));
    EXPECT_GE(took, 250u); // waited for the peer's close
    EXPECT_LT(took, kGracefulCloseMs);
    EXPECT_FALSE(rig.port->isClaimed());
}

TEST(WNetSync, GracefulCloseGivesUpOnAPeerThatNeverCloses) {
    Rig rig(0, TcpPeer::Mode::ReadNeverClose);
    ASSERT_EQ(rig.port->claim(0), kOk);
    ASSERT_TRUE(rig.peer->waitAccepted(5000));
    const OpenSnapshot claimed;
    Seam seam;
    seam.captureDebug();
    const DWORD start = GetTickCount();
    EXPECT_EQ(rig.port->release(5000), kOk);
    const DWORD took = since(start);
    EXPECT_GE(took, kGracefulCloseMs - 100);
    EXPECT_LT(took, kGracefulCloseMs + 2000);
    EXPECT_TRUE(seam.sawDebug("PTL:  gracefulClose: no close from the peer within 5000 ms\n"));
    EXPECT_FALSE(rig.port->isClaimed());
    EXPECT_TRUE(rig.peer->sawEnd()); // our side was shut down all the same
    EXPECT_EQ(os::openTotal(), claimed.total - 1);
}

// ---- WNetA / WNetE ------------------------------------------------------------------------------------

class Threaded : public ::testing::TestWithParam<int> {};

TEST_P(Threaded, SendAndRecvBeforeClaim) {
    auto port = newPortAs<WNet>(kIfNet, GetParam());
    int n = -1;
    char b[4] = {};
    EXPECT_EQ(port->send(b, 4, &n, 0, 0, 0), kWriteFailed);
    EXPECT_EQ(port->recv(b, 4, &n, 0), kReadFailed);
}

TEST_P(Threaded, DataBothWaysThroughTheQueues) {
    Rig rig(GetParam());
    ASSERT_EQ(rig.port->claim(0), kOk);
    ASSERT_TRUE(rig.peer->waitAccepted(5000));
    const Bytes data = testPattern(600000); // more than the ring holds at once
    queueAll(*rig.port, data);
    ASSERT_TRUE(rig.peer->sendToClient({'s', 't', 'a', 't'}));
    Bytes in;
    ASSERT_TRUE(waitFor(
        [&] {
            char b[16];
            int got = 0;
            rig.port->recv(b, sizeof b, &got, 0);
            in.insert(in.end(), b, b + got);
            return in.size() >= 4;
        },
        5000));
    EXPECT_EQ(in, (Bytes{'s', 't', 'a', 't'}));
    EXPECT_EQ(rig.port->release(5000), kOk);
    rig.peer->waitEnd(5000);
    EXPECT_EQ(rig.peer->received(), data);
}

// Slows the socket writes so that bytes are still queued when release comes.
void slowSends(Seam &seam, DWORD ms) {
    seam.on<&Api::WSASend>([&seam, ms](SOCKET s, LPWSABUF b, DWORD n, LPDWORD sent, DWORD f,
                                       LPWSAOVERLAPPED ov, LPWSAOVERLAPPED_COMPLETION_ROUTINE cr) {
        Sleep(ms);
        return seam.original<&Api::WSASend>()(s, b, n, sent, f, ov, cr);
    });
}

TEST_P(Threaded, ReleaseWithTimeDrainsTheQueueFirst) {
    Rig rig(GetParam());
    ASSERT_EQ(rig.port->claim(0), kOk);
    ASSERT_TRUE(rig.peer->waitAccepted(5000));
    Seam seam;
    slowSends(seam, 10);
    const Bytes data = testPattern(100000); // 25 blocks: about a quarter second of writing
    queueAll(*rig.port, data);
    int queued = 0;
    ASSERT_EQ(rig.port->getSendCount(&queued), kOk);
    EXPECT_GT(queued, 0);
    EXPECT_EQ(rig.port->release(5000), kOk);
    ASSERT_TRUE(rig.peer->waitEnd(5000));
    EXPECT_EQ(rig.peer->received(), data);
}

TEST_P(Threaded, ReleaseZeroDropsWhatIsStillQueued) {
    Rig rig(GetParam());
    ASSERT_EQ(rig.port->claim(0), kOk);
    ASSERT_TRUE(rig.peer->waitAccepted(5000));
    Seam seam;
    slowSends(seam, 10);
    const Bytes data = testPattern(100000);
    queueAll(*rig.port, data);
    EXPECT_EQ(rig.port->release(0), kOk);
    ASSERT_TRUE(rig.peer->waitEnd(5000));
    EXPECT_LT(rig.peer->received().size(), data.size());
}

TEST_P(Threaded, StalledQueueEndsTheDrainWith1019) {
    Rig rig(GetParam());
    ASSERT_EQ(rig.port->claim(0), kOk);
    ASSERT_TRUE(rig.peer->waitAccepted(5000));
    Seam seam;
    // Nothing ever goes out: every write fails at once.
    seam.on<&Api::WSASend>(
        [](SOCKET, LPWSABUF, DWORD, LPDWORD, DWORD, LPWSAOVERLAPPED, LPWSAOVERLAPPED_COMPLETION_ROUTINE) {
            WSASetLastError(WSAENOBUFS);
            return SOCKET_ERROR;
        });
    int w = 0;
    const Bytes data = testPattern(1000);
    ASSERT_EQ(rig.port->send(data.data(), 1000, &w, 0, 0, 0), kOk);
    const DWORD start = GetTickCount();
    EXPECT_EQ(rig.port->release(200), kTimeout);
    EXPECT_LT(since(start), 2000u);
    EXPECT_FALSE(rig.port->isClaimed());
}

// A slow but steady reader gets the whole job: the drain sees each small write move the count.
TEST_P(Threaded, SlowSteadyReaderGetsTheWholeJobAtRelease) {
    Rig rig(GetParam(), TcpPeer::Mode::Slow);
    ASSERT_EQ(rig.port->claim(0), kOk);
    ASSERT_TRUE(rig.peer->waitAccepted(5000));
    const int small = 4096;
    setsockopt(rig.port->socketHandle(), SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char *>(&small),
               sizeof small);
    const Bytes data = testPattern(60000);
    queueAll(*rig.port, data);
    EXPECT_EQ(rig.port->release(400), kOk);
    ASSERT_TRUE(rig.peer->waitEnd(5000));
    EXPECT_EQ(rig.peer->received(), data);
}

TEST_P(Threaded, ThreadFailureIs1015AndLeavesNothingOpen) {
    Rig rig(GetParam());
    const OpenSnapshot before;
    for (int nth : {1, 2}) {
        Seam seam;
        seam.failNth<&Api::CreateThread>(nth, nullptr, ERROR_NOT_ENOUGH_MEMORY);
        EXPECT_EQ(rig.port->claim(0), kThreadFailed) << nth;
        EXPECT_FALSE(rig.port->isClaimed());
        EXPECT_TRUE(before == OpenSnapshot()) << nth << "\n" << os::openReport();
    }
}

TEST_P(Threaded, EventFailureIs1016AndLeavesNothingOpen) {
    Rig rig(GetParam());
    const OpenSnapshot before;
    for (int nth : {1, 3}) {
        Seam seam;
        seam.failNth<&Api::CreateEventA>(nth, nullptr, ERROR_NOT_ENOUGH_MEMORY);
        EXPECT_EQ(rig.port->claim(0), kEventsFailed) << nth;
        EXPECT_TRUE(before == OpenSnapshot()) << nth << "\n" << os::openReport();
    }
}

TEST_P(Threaded, RepeatedClaimsDoNotPileUpHandles) {
    Rig rig(GetParam(), TcpPeer::Mode::Hold);
    const OpenSnapshot before;
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(rig.port->claim(0), kOk);
        ASSERT_EQ(rig.port->release(0), kOk);
    }
    EXPECT_TRUE(before == OpenSnapshot()) << os::openReport();
}

TEST_P(Threaded, ConnectionResetByThePeerMakesSendFail) {
    Rig rig(GetParam(), TcpPeer::Mode::Hold);
    Seam seam;
    seam.captureDebug();
    ASSERT_EQ(rig.port->claim(0), kOk);
    ASSERT_TRUE(rig.peer->waitAccepted(5000));
    rig.peer->resetClient();
    const Bytes data = testPattern(4096);
    int r = kOk;
    DWORD error = 0;
    const DWORD start = GetTickCount();
    // Queued bytes reach the reset connection; from then on send reports the failure and the socket's
    // error instead of queueing.
    EXPECT_TRUE(waitFor(
        [&] {
            int w = 0;
            r = rig.port->send(data.data(), static_cast<int>(data.size()), &w, 0, 0, 0);
            error = GetLastError();
            return r == kWriteFailed;
        },
        10000));
    EXPECT_EQ(error, static_cast<DWORD>(WSAECONNRESET));
    EXPECT_LT(since(start), 2000u);
    bool logged = false;
    for (const auto &l : seam.debugLines())
        logged |= l.rfind("PTL:  connection lost ", 0) == 0;
    EXPECT_TRUE(logged);
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

TEST(WNetA, ThreadLinesNameTheClass) {
    Rig rig(1);
    Seam seam;
    seam.captureDebug();
    ASSERT_EQ(rig.port->claim(0), kOk);
    rig.port->release(0);
    for (const char *line :
         {"PTL: WNetA::claim()\n", "PTL: WNetA::procSend() Start\n", "PTL: WNetA::procRecv() Start\n",
          "PTL: WNetA::release(0)\n", "PTL: WNetA::procSend() End\n", "PTL: WNetA::procRecv() End\n"})
        EXPECT_TRUE(seam.sawDebug(line)) << line;
}

TEST(WNetE, EventSelectionFailureIs1027) {
    Rig rig(2);
    const OpenSnapshot before;
    Seam seam;
    seam.failNth<&Api::WSAEventSelect>(1, SOCKET_ERROR, WSAENOTSOCK);
    EXPECT_EQ(rig.port->claim(0), kEventSelectFailed);
    EXPECT_EQ(rig.port->lastError(), WSAENOTSOCK);
    EXPECT_TRUE(before == OpenSnapshot()) << os::openReport();
}

TEST(WNetE, SocketEventFailureIs1016) {
    Rig rig(2);
    const OpenSnapshot before;
    Seam seam;
    seam.failNth<&Api::WSACreateEvent>(1, WSA_INVALID_EVENT, WSA_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(rig.port->claim(0), kEventsFailed);
    EXPECT_TRUE(before == OpenSnapshot()) << os::openReport();
}

TEST(WNetE, PeerCloseIsLoggedAndThePortStaysClaimed) {
    Rig rig(2);
    Seam seam;
    seam.captureDebug();
    ASSERT_EQ(rig.port->claim(0), kOk);
    ASSERT_TRUE(rig.peer->waitAccepted(5000));
    EXPECT_TRUE(waitFor([&] { return seam.sawDebug("PTL: WNetE::procWait() Start\n"); }, 5000));
    rig.peer->closeClient();
    EXPECT_TRUE(waitFor([&] { return seam.sawDebug("PTL:  FD_CLOSE 0\n"); }, 5000));
    EXPECT_TRUE(rig.port->isClaimed());
    rig.port->release(0);
    EXPECT_TRUE(seam.sawDebug("PTL: WNetE::procWait() End\n"));
}

// ---- WNetW ---------------------------------------------------------------------------------------------

// Pumps this thread's messages until cond holds or the deadline passes.
bool pumpUntil(const std::function<bool()> &cond, DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&m);
        if (cond())
            return true;
        if (since(start) > ms)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

TEST(WNetW, ClaimBeforeStartupIs10000WithoutASocket) {
    Rig rig(3);
    Seam seam;
    int sockets = 0;
    seam.on<&Api::socket>([&](int a, int t, int p) {
        ++sockets;
        return seam.original<&Api::socket>()(a, t, p);
    });
    EXPECT_EQ(rig.port->claim(0), kSystemCallFailed);
    EXPECT_EQ(sockets, 0);
}

TEST(WNetW, NotificationsReachThePortThroughTheWindow) {
    Rig rig(3);
    ASSERT_EQ(ptl::startup(nullptr), kOk);
    Seam seam;
    seam.captureDebug();
    ASSERT_EQ(rig.port->claim(0), kOk);
    ASSERT_TRUE(rig.peer->waitAccepted(5000));
    const SOCKET s = rig.port->socketHandle();
    char line[64];
    snprintf(line, sizeof line, "PTL: RegistSocket(%d)\n", static_cast<int>(s));
    EXPECT_TRUE(seam.sawDebug(line));
    snprintf(line, sizeof line, "PTL:  WSAAsyncSelect(%08X)=0\n",
             static_cast<unsigned>(reinterpret_cast<uintptr_t>(notificationWindow())));
    EXPECT_TRUE(seam.sawDebug(line));

    // Nothing waiting: 1102 at once, with WSAEWOULDBLOCK recorded.
    char buf[16];
    int got = -1;
    const DWORD start = GetTickCount();
    EXPECT_EQ(rig.port->recv(buf, sizeof buf, &got, 0), kReadFailed);
    EXPECT_LT(since(start), 500u);
    EXPECT_EQ(rig.port->lastError(), WSAEWOULDBLOCK);

    // Pump away what the connection itself announced (FD_WRITE), then data arrives.
    pumpUntil([] { return false; }, 200);
    const int before = seam.debugCount("PTL: WNetW::WmWsaAsyncSelect(0001)\n");
    ASSERT_TRUE(rig.peer->sendToClient({'h', 'i'}));
    EXPECT_TRUE(
        pumpUntil([&] { return seam.debugCount("PTL: WNetW::WmWsaAsyncSelect(0001)\n") > before; }, 5000));
    pumpUntil([] { return false; }, 200);
    EXPECT_EQ(seam.debugCount("PTL: WNetW::WmWsaAsyncSelect(0001)\n"), before + 1);
    EXPECT_EQ(rig.port->recv(buf, sizeof buf, &got, 0), kOk);
    EXPECT_EQ(got, 2);

    EXPECT_EQ(rig.port->release(1000), kOk);
    snprintf(line, sizeof line, "PTL: UnRegistSocket(%d)\n", static_cast<int>(s));
    EXPECT_TRUE(seam.sawDebug(line));
    // A late notification for the closed socket reaches no port.
    const int lines = static_cast<int>(seam.debugLines().size());
    SendMessageA(notificationWindow(), kMsgSocket, static_cast<WPARAM>(s), FD_READ);
    EXPECT_EQ(static_cast<int>(seam.debugLines().size()), lines);
    ptl::cleanup();
}

TEST(WNetW, NotificationRequestFailureIs1027AndUnregisters) {
    Rig rig(3);
    ASSERT_EQ(ptl::startup(nullptr), kOk);
    const OpenSnapshot before;
    {
        Seam seam;
        seam.captureDebug();
        seam.failNth<&Api::WSAAsyncSelect>(1, SOCKET_ERROR, WSAEINVAL);
        EXPECT_EQ(rig.port->claim(0), kEventSelectFailed);
        EXPECT_EQ(rig.port->lastError(), WSAEINVAL);
        EXPECT_FALSE(rig.port->isClaimed());
        bool unregistered = false;
        for (const auto &l : seam.debugLines())
            unregistered |= l.rfind("PTL: UnRegistSocket(", 0) == 0;
        EXPECT_TRUE(unregistered);
    }
    EXPECT_TRUE(before == OpenSnapshot()) << os::openReport();
    ptl::cleanup();
}

} // namespace
