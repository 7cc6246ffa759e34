// The printer network ports: control operations against the answers a printer may give, the address and
// port checks, claim failures of each variant, the drain at release and cancellation from another thread.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <thread>

#include "NetPeers.h"
#include "core/Results.h"
#include "core/Target.h"
#include "net/KnpcFrame.h"
#include "net/WVqnet.h"
#include "net/WVqnetA.h"
#include "net/WVqnetE.h"
#include "sender/Sender.h"
#include "support/Seam.h"
#include "support/TestUtil.h"

namespace {

using namespace ptl;
using namespace ptl::test;
using Api = ptl::os::Api;

Bytes request(size_t (*build)(uint8_t *)) {
    uint8_t b[knpc::kControlRequestSize];
    return Bytes(b, b + build(b));
}

Bytes forceRequest(bool on) {
    uint8_t b[knpc::kControlRequestSize];
    return Bytes(b, b + knpc::buildForce(on, b));
}

// A claimed printer port with a TCP peer and a scripted control channel on the same address.
struct Printer {
    std::string ip = nextLoopback();
    std::unique_ptr<TcpPeer> tcp;
    std::unique_ptr<UdpPrinter> udp;
    std::unique_ptr<WVqnet> port;
    Printer(int mode, UdpPrinter::Responder responder, TcpPeer::Mode tcpMode = TcpPeer::Mode::ReadToEnd) {
        ensureWinsock();
        tcp = std::make_unique<TcpPeer>(ip, 0, tcpMode);
        udp = std::make_unique<UdpPrinter>(ip, std::move(responder));
        port = newPortAs<WVqnet>(kIfVqnet, mode);
        port->setAddress(addressOf(ip));
        port->setPortNo(tcp->port());
    }
};

class VqnetModes : public ::testing::TestWithParam<int> {};

TEST_P(VqnetModes, IdentityAndDefaultRawPort) {
    auto port = newPortAs<WVqnet>(kIfVqnet, GetParam());
    EXPECT_EQ(port->getIFType(), kIfVqnet);
    EXPECT_STREQ(port->getIFName(), "VQNET");
    EXPECT_EQ(port->getIOMode(), GetParam());
    int no = 0;
    EXPECT_EQ(port->getPortNo(&no), kOk);
    EXPECT_EQ(no, 9100);
}

TEST_P(VqnetModes, InvalidAddressIs1028BeforeAnySocket) {
    ensureWinsock();
    Seam seam;
    int sockets = 0;
    seam.on<&Api::socket>([&](int a, int t, int p) {
        ++sockets;
        return seam.original<&Api::socket>()(a, t, p);
    });
    seam.captureDebug();
    auto port = newPortAs<WVqnet>(kIfVqnet, GetParam());
    for (const char *bad : {"0.0.0.0", "255.255.255.255", "0.1.2.3", "255.1.2.3"}) {
        port->setAddress(inet_addr(bad));
        EXPECT_EQ(port->claim(0), kInvalidAddress) << bad;
    }
    EXPECT_EQ(sockets, 0);
    const char *names[] = {"WVqnet", "WVqnetA", "WVqnetE"};
    EXPECT_TRUE(seam.sawDebug(std::string("PTL: ") + names[GetParam()] + "::claim(255.1.2.3:9100)\n"));
}

TEST_P(VqnetModes, PortZeroIs1013) {
    ensureWinsock();
    auto port = newPortAs<WVqnet>(kIfVqnet, GetParam());
    port->setAddress(addressOf("127.10.0.1"));
    port->setPortNo(0);
    EXPECT_EQ(port->claim(0), kInvalidPortNo);
    EXPECT_FALSE(port->isClaimed());
}

TEST_P(VqnetModes, ControlOnAnUnclaimedPortIs1019WithoutSending) {
    ensureWinsock();
    auto port = newPortAs<WVqnet>(kIfVqnet, GetParam());
    Seam seam;
    int sends = 0;
    seam.on<&Api::sendto>([&](SOCKET, const char *, int, int, const sockaddr *, int) {
        ++sends;
        return SOCKET_ERROR;
    });
    char text[200];
    EXPECT_EQ(port->reset(), kTimeout);
    EXPECT_EQ(port->force(1), kTimeout);
    EXPECT_EQ(port->netGetInfo(text), kTimeout);
    EXPECT_EQ(port->netGetId(text), kTimeout);
    EXPECT_EQ(port->netCheck(0), kTimeout);
    EXPECT_EQ(sends, 0);
}

TEST_P(VqnetModes, EveryRequestGoesOutByteForByteToTheSameHost) {
    Printer p(GetParam(), [](const Bytes &r) {
        knpc::Request q;
        knpc::parseRequest(r.data(), r.size(), &q);
        switch (q.code[3]) {
        case knpc::kCmdInfo:
            return one(replyTo(r, 0, Bytes(133, 'i')));
        case knpc::kCmdId:
            return one(replyTo(r, 0, Bytes(13, 'd')));
        case knpc::kCmdCheck:
            return one(replyTo(r, 0, {0, 0, 0, 0}));
        case knpc::kCmdForce:
            return one(replyTo(r, 0, {q.data[0]}));
        default:
            return one(replyTo(r, 0, {1}));
        }
    });
    ASSERT_EQ(p.port->claim(0), kOk);
    char text[200];
    EXPECT_EQ(p.port->reset(), kOk);
    EXPECT_EQ(p.port->force(1), kOk);
    EXPECT_EQ(p.port->force(0), kOk);
    EXPECT_EQ(p.port->netGetInfo(text), kOk);
    EXPECT_EQ(std::string(text), std::string(133, 'i'));
    EXPECT_EQ(p.port->netGetId(text), kOk);
    EXPECT_EQ(std::string(text), std::string(13, 'd'));
    EXPECT_EQ(p.port->netCheck(5), kOk);
    const std::vector<Bytes> expected = {request(knpc::buildReset), forceRequest(true),
                                         forceRequest(false),       request(knpc::buildInfo),
                                         request(knpc::buildId),    request(knpc::buildCheck)};
    EXPECT_EQ(p.udp->requests(), expected);
    EXPECT_EQ(p.port->release(1000), kOk);
}

TEST_P(VqnetModes, ClaimFailuresLeaveNothingOpen) {
    Printer p(GetParam(), nullptr);
    const OpenSnapshot before;
    {
        Seam seam;
        seam.failNth<&Api::socket>(1, INVALID_SOCKET, WSAEMFILE); // the TCP socket
        EXPECT_EQ(p.port->claim(0), kSocketFailed);
    }
    {
        Seam seam;
        seam.failNth<&Api::socket>(2, INVALID_SOCKET, WSAEMFILE); // the control channel's socket
        EXPECT_EQ(p.port->claim(0), kSocketFailed);
    }
    {
        Seam seam;
        // The control channel's socket event: the first one for WVqnet and WVqnetA, the second for WVqnetE.
        seam.failNth<&Api::WSACreateEvent>(GetParam() == 2 ? 2 : 1, WSA_INVALID_EVENT, WSA_NOT_ENOUGH_MEMORY);
        EXPECT_EQ(p.port->claim(0), kCantClaim);
    }
    if (GetParam() != 0) {
        Seam seam;
        seam.failNth<&Api::CreateThread>(2, nullptr, ERROR_NOT_ENOUGH_MEMORY);
        EXPECT_EQ(p.port->claim(0), kThreadFailed);
    }
    if (GetParam() == 2) {
        Seam seam;
        seam.failNth<&Api::WSACreateEvent>(1, WSA_INVALID_EVENT, WSA_NOT_ENOUGH_MEMORY);
        EXPECT_EQ(p.port->claim(0), kEventsFailed);
        Seam seam2;
        seam2.failNth<&Api::WSAEventSelect>(1, SOCKET_ERROR, WSAENOTSOCK);
        EXPECT_EQ(p.port->claim(0), kEventSelectFailed);
    }
    {
        auto nobody = newPortAs<WVqnet>(kIfVqnet, GetParam());
        nobody->setAddress(addressOf(nextLoopback()));
        EXPECT_EQ(nobody->claim(0), kCantConnect);
    }
    EXPECT_FALSE(p.port->isClaimed());
    EXPECT_TRUE(before == OpenSnapshot()) << os::openReport();
}

TEST_P(VqnetModes, ReleaseFromAnotherThreadCancelsAWaitingControlRequest) {
    Printer p(GetParam(), nullptr, TcpPeer::Mode::Hold);
    ASSERT_EQ(p.port->claim(0), kOk);
    std::atomic<int> result{-100};
    std::thread t([&] { result = p.port->netCheck(0); });
    ASSERT_TRUE(waitFor([&] { return p.udp->requestCount() == 1; }, 5000));
    const DWORD start = GetTickCount();
    EXPECT_EQ(p.port->release(0), kOk);
    t.join();
    EXPECT_EQ(result, kCtlCancelled);
    EXPECT_LT(since(start), 900u);
    EXPECT_EQ(p.udp->requestCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(AllVariants, VqnetModes, ::testing::Values(0, 1, 2));

// ---- control answers (the operations are shared by all variants: the synchronous port shows them) ------

TEST(VqnetControl, ForceNeverSeeingTheStateAskedForIs1019AfterThreeRequestsAndPauses) {
    Printer p(0, answering(0, {0})); // always "off"
    ASSERT_EQ(p.port->claim(0), kOk);
    Seam seam;
    std::vector<DWORD> sleeps;
    seam.on<&Api::Sleep>([&](DWORD ms) {
        sleeps.push_back(ms);
        seam.original<&Api::Sleep>()(ms);
    });
    const DWORD start = GetTickCount();
    EXPECT_EQ(p.port->force(1), kTimeout);
    EXPECT_GE(since(start), 2900u);
    EXPECT_EQ(p.udp->requestCount(), 3);
    EXPECT_EQ(sleeps, (std::vector<DWORD>{1000, 1000, 1000}));
}

TEST(VqnetControl, ForceRefusedOrWrongLengthOrSilent) {
    {
        Printer p(0, answering(1, {1}));
        ASSERT_EQ(p.port->claim(0), kOk);
        EXPECT_EQ(p.port->force(1), kBadReply);
        EXPECT_EQ(p.udp->requestCount(), 1);
    }
    {
        // The right byte in a 16-byte reply is not the state asked for: pause and ask again.
        std::atomic<int> n{0};
        Printer p(0, [&](const Bytes &r) { return one(replyTo(r, 0, n++ == 0 ? Bytes{1, 0} : Bytes{1})); });
        ASSERT_EQ(p.port->claim(0), kOk);
        EXPECT_EQ(p.port->force(1), kOk);
        EXPECT_EQ(p.udp->requestCount(), 2);
    }
    {
        Printer p(0, nullptr);
        ASSERT_EQ(p.port->claim(0), kOk);
        const DWORD start = GetTickCount();
        EXPECT_EQ(p.port->force(0), kTimeout); // three sends of one transaction, no pause
        EXPECT_LT(since(start), 4500u);
        EXPECT_EQ(p.udp->requestCount(), 3);
    }
}

TEST(VqnetControl, InfoTextOnlyFromA147ByteReply) {
    std::atomic<size_t> dataLen{133};
    Printer p(0, [&](const Bytes &r) {
        Bytes d(dataLen.load(), 'x');
        if (d.size() > 20)
            d[20] = 0;
        return one(replyTo(r, 0, d));
    });
    ASSERT_EQ(p.port->claim(0), kOk);
    char text[200];
    EXPECT_EQ(p.port->netGetInfo(text), kOk);
    EXPECT_EQ(std::string(text), std::string(20, 'x'));
    for (size_t len : {132u, 134u}) { // replies of 146 and 148 bytes
        dataLen = len;
        std::memset(text, '#', sizeof text);
        EXPECT_EQ(p.port->netGetInfo(text), kBadReply) << len;
        EXPECT_EQ(text[0], '#');
    }
}

TEST(VqnetControl, IdTextCheckAndRefusals) {
    std::atomic<int> result{0};
    Printer p(0, [&](const Bytes &r) {
        knpc::Request q;
        knpc::parseRequest(r.data(), r.size(), &q);
        if (q.code[3] == knpc::kCmdId)
            return one(replyTo(r, result, {'P', 'R', 'N', '-', '7'}));
        return one(replyTo(r, result, Bytes(q.code[3] == knpc::kCmdCheck ? 4 : 3, 0)));
    });
    ASSERT_EQ(p.port->claim(0), kOk);
    char text[32];
    EXPECT_EQ(p.port->netGetId(text), kBadReply); // 19 bytes, not 27
    EXPECT_EQ(p.port->netCheck(0), kOk);          // 18 bytes
    result = 2;
    EXPECT_EQ(p.port->netCheck(0), kBadReply);
    EXPECT_EQ(p.port->netGetInfo(text), kBadReply);
}

TEST(VqnetControl, ResetAcceptsAnyLengthFrom14WithResultZero) {
    std::atomic<size_t> dataLen{0};
    std::atomic<int> result{0};
    Printer p(0, [&](const Bytes &r) { return one(replyTo(r, result, Bytes(dataLen.load(), 1))); });
    ASSERT_EQ(p.port->claim(0), kOk);
    for (size_t len : {0u, 1u, 100u}) {
        dataLen = len;
        EXPECT_EQ(p.port->reset(), kOk) << len;
    }
    result = 1;
    EXPECT_EQ(p.port->reset(), kBadReply);
}

// ---- data path and release -----------------------------------------------------------------------------

TEST(VqnetRelease, SyncReleaseZeroSkipsTheGracefulCloseAndOneDoesIt) {
    for (int t : {0, 1}) {
        Printer p(0, nullptr);
        ASSERT_EQ(p.port->claim(0), kOk);
        Seam seam;
        int shutdowns = 0;
        seam.on<&Api::shutdown>([&](SOCKET s, int how) {
            ++shutdowns;
            return seam.original<&Api::shutdown>()(s, how);
        });
        seam.captureDebug();
        EXPECT_EQ(p.port->release(t), kOk);
        EXPECT_EQ(shutdowns, t == 0 ? 0 : 2);
        EXPECT_TRUE(seam.sawDebug("PTL: WVqnet::release(" + std::to_string(t) + ")\n"));
        EXPECT_TRUE(seam.sawDebug("PTL: WKnpc::release(" + std::to_string(t) + ")\n"));
    }
}

// The fault this guards against: the threaded printer ports stopped their threads at release with the end
// of the job still queued, so `rawpush -a` lost it.
TEST(VqnetRelease, ThreadedReleaseWithTimeDeliversTheWholeQueue) {
    for (int mode : {1, 2}) {
        Printer p(mode, nullptr);
        ASSERT_EQ(p.port->claim(0), kOk);
        ASSERT_TRUE(p.tcp->waitAccepted(5000));
        Seam seam;
        seam.captureDebug();
        seam.on<&Api::WSASend>([&seam](SOCKET s, LPWSABUF b, DWORD n, LPDWORD sent, DWORD f,
                                       LPWSAOVERLAPPED ov, LPWSAOVERLAPPED_COMPLETION_ROUTINE cr) {
            Sleep(10);
            return seam.original<&Api::WSASend>()(s, b, n, sent, f, ov, cr);
        });
        const Bytes data = testPattern(120000);
        size_t off = 0;
        while (off < data.size()) {
            int w = 0;
            ASSERT_EQ(p.port->send(data.data() + off, static_cast<int>(data.size() - off), &w, 0, 0, 0), kOk);
            off += static_cast<size_t>(w);
        }
        EXPECT_EQ(p.port->release(5000), kOk);
        ASSERT_TRUE(p.tcp->waitEnd(5000));
        EXPECT_EQ(p.tcp->received(), data) << "mode " << mode;
        EXPECT_TRUE(
            seam.sawDebug(mode == 1 ? "PTL: WVqentA::release(5000)\n" : "PTL: WVqnetE::release(5000)\n"));
    }
}

// A printer that accepts the job and never reads ends the run after the no-progress bound, whether the
// send blocks (synchronous) or the queue stays full (-a).
TEST(VqnetStall, PrinterTakingNoDataEndsTheRunAfterTheBound) {
    const std::string path = tempPath("stall16.bin");
    writeFile(path, std::string(16u << 20, 's'));
    for (std::string flag : {"", "-a"}) {
        Printer p(0, answering(0, {0}), TcpPeer::Mode::Hold);
        Seam seam;
        fastClock(seam, 1000);
        const std::string target = "VQNET" + std::to_string(p.tcp->port()) + "@" + p.ip;
        std::vector<const char *> argv = {"rawpush", path.c_str(), target.c_str()};
        if (!flag.empty())
            argv.insert(argv.begin() + 1, "-a");
        MemStream out, err;
        EXPECT_EQ(rawpush::run(static_cast<int>(argv.size()), argv.data(), out.get(), err.get()), 3);
        const std::string text = out.text();
        EXPECT_NE(text.find("The printer took no data for 180 seconds\n"), std::string::npos) << flag << text;
        EXPECT_EQ(text.find("err=1101 dwErr=10060\n") != std::string::npos, flag.empty()) << text;
    }
    DeleteFileA(path.c_str());
}

TEST(VqnetRelease, ThreadLinesOfEachVariant) {
    {
        Printer p(1, nullptr);
        Seam seam;
        seam.captureDebug();
        ASSERT_EQ(p.port->claim(0), kOk);
        p.port->release(0);
        for (const char *l : {"PTL: WVqnetA::claim(", "PTL: WVqnetA::procRecv() Start\n",
                              "PTL: WVqnetA::procConn() Start\n", "PTL: WVqnetA::procConn() End\n",
                              "PTL: WVqnetA::procSend() End\n", "PTL: WVqnetA::procRecv() End\n"}) {
            bool seen = false;
            for (const auto &d : seam.debugLines())
                seen |= d.rfind(l, 0) == 0;
            EXPECT_TRUE(seen) << l;
        }
    }
    {
        Printer p(2, nullptr);
        Seam seam;
        seam.captureDebug();
        ASSERT_EQ(p.port->claim(0), kOk);
        p.port->release(0);
        bool select = false;
        for (const auto &d : seam.debugLines())
            select |= d.rfind("PTL: WSAEventSelect(", 0) == 0 && d.find(")=0\n") != std::string::npos;
        EXPECT_TRUE(select);
        for (const char *l : {"PTL: WVqnetE::procSend() Start\n", "PTL: WVqnetE::procWait() Start\n",
                              "PTL: WVqnetE::procWait() End\n", "PTL: WVqnetE::release(0)\n"})
            EXPECT_TRUE(seam.sawDebug(l)) << l;
    }
}

} // namespace
