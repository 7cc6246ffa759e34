// The printer network ports: control operations against the answers a printer may give, the address and
// port checks, claim failures of each variant, the drain at release and cancellation from another thread.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
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

// A bad address (1028) or port 0 (1013) is refused before any socket; control operations on an unclaimed
// port send nothing and answer 1019.
TEST_P(VqnetModes, RefusedBeforeAnySocket) {
    ensureWinsock();
    Seam seam;
    // A socket made or a request sent would answer 1017 or 1025 instead.
    seam.failNth<&Api::socket>(1, INVALID_SOCKET, WSAEMFILE);
    seam.failNth<&Api::sendto>(1, SOCKET_ERROR, WSAENETUNREACH);
    seam.captureDebug();
    auto port = newPortAs<WVqnet>(kIfVqnet, GetParam());
    for (const char *bad : {"0.0.0.0", "255.255.255.255", "0.1.2.3", "255.1.2.3"}) {
        port->setAddress(inet_addr(bad));
        EXPECT_EQ(port->claim(0), kInvalidAddress) << bad;
    }
    const char *names[] = {"WVqnet", "WVqnetA", "WVqnetE"};
    EXPECT_TRUE(seam.sawDebug(std::string("PTL: ") + names[GetParam()] + "::claim(255.1.2.3:9100)\n"));
    port->setAddress(addressOf("127.10.0.1"));
    port->setPortNo(0);
    EXPECT_EQ(port->claim(0), kInvalidPortNo);
    char text[200];
    for (int r :
         {port->reset(), port->force(1), port->netGetInfo(text), port->netGetId(text), port->netCheck(0)})
        EXPECT_EQ(r, kTimeout);
}

// The control channel's own claim failures; the TCP side's are those of the network ports.
TEST_P(VqnetModes, ControlChannelClaimFailuresLeaveNothingOpen) {
    Printer p(GetParam(), nullptr);
    const OpenSnapshot before;
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
    EXPECT_FALSE(p.port->isClaimed());
    EXPECT_TRUE(before == OpenSnapshot()) << os::openReport();
}

// Each operation sends its request byte for byte. What each reply must be: its result 0, and the exact length
// of the kind (info 147, id 27, check 18 bytes; reset anything from 14). A refused text leaves the caller's
// buffer alone.
TEST_P(VqnetModes, EachRequestGoesOutAndItsReplyCountsOnlyWithResultZeroAndItsLength) {
    std::atomic<int> result{0};
    std::atomic<size_t> dataLen{0};
    Printer p(GetParam(), [&](const Bytes &r) {
        Bytes d(dataLen.load(), 'x');
        if (d.size() > 20)
            d[20] = 0;
        return one(replyTo(r, result, d));
    });
    ASSERT_EQ(p.port->claim(0), kOk);
    char text[200];
    enum Op { Info, Id, Check, Reset };
    size_t (*const builds[])(uint8_t *) = {knpc::buildInfo, knpc::buildId, knpc::buildCheck,
                                           knpc::buildReset};
    struct Case {
        Op op;
        int result;
        size_t dataLen;
        int expected;
    } cases[] = {{Info, 0, 133, kOk},       {Info, 0, 132, kBadReply}, {Info, 0, 134, kBadReply},
                 {Info, 2, 133, kBadReply}, {Id, 0, 13, kOk},          {Id, 0, 5, kBadReply},
                 {Check, 0, 4, kOk},        {Check, 2, 4, kBadReply},  {Check, 0, 3, kBadReply},
                 {Reset, 0, 0, kOk},        {Reset, 0, 100, kOk},      {Reset, 1, 1, kBadReply}};
    for (const Case &c : cases) {
        result = c.result;
        dataLen = c.dataLen;
        std::memset(text, '#', sizeof text);
        const int r = c.op == Info    ? p.port->netGetInfo(text)
                      : c.op == Id    ? p.port->netGetId(text)
                      : c.op == Check ? p.port->netCheck(0)
                                      : p.port->reset();
        EXPECT_EQ(r, c.expected) << c.op << " " << c.result << " " << c.dataLen;
        EXPECT_EQ(p.udp->requests().back(), request(builds[c.op])) << c.op;
        if (c.op == Info || c.op == Id) {
            EXPECT_EQ(std::string(text, r == kOk ? std::min<size_t>(c.dataLen, 20) + 1 : 1),
                      r == kOk ? std::string(std::min<size_t>(c.dataLen, 20), 'x') + '\0' : "#");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllVariants, VqnetModes, ::testing::Values(0, 1, 2));

// ---- control answers (the operations are shared by all variants: the synchronous port shows them) ------

// force asks until the printer reports the state asked for, pausing a second between requests, at most
// three times; a refusal ends it at once. The pauses and time-outs run on a simulated clock.
TEST(VqnetControl, ForceAsksUntilThePrinterReportsTheState) {
    const DWORD s = 1000;
    struct Case {
        int on;
        UdpPrinter::Responder (*responder)();
        int result, requests;
        std::vector<DWORD> pauses;
    } cases[] = {
        {1, [] { return answering(0, {0}); }, kTimeout, 3, {s, s, s}}, // always "off"
        {0, [] { return answering(0, {0}); }, kOk, 1, {}},
        {1, [] { return answering(1, {1}); }, kBadReply, 1, {}}, // refused
        {1,
         []() -> UdpPrinter::Responder { // the right byte in a 16-byte reply is not the state
             auto n = std::make_shared<std::atomic<int>>(0);
             return [n](const Bytes &r) { return one(replyTo(r, 0, (*n)++ == 0 ? Bytes{1, 0} : Bytes{1})); };
         },
         kOk,
         2,
         {s}},
        {1, [] { return UdpPrinter::Responder(); }, kTimeout, 3, {s, s, s}}, // silent: three sends, no pause
    };
    for (const Case &c : cases) {
        Printer p(0, c.responder());
        ASSERT_EQ(p.port->claim(0), kOk);
        Seam seam;
        VirtualClock clock(seam);
        EXPECT_EQ(p.port->force(c.on), c.result);
        EXPECT_EQ(p.udp->requestCount(), c.requests);
        uint8_t b[knpc::kControlRequestSize];
        EXPECT_EQ(p.udp->requests()[0], Bytes(b, b + knpc::buildForce(c.on != 0, b)));
        EXPECT_EQ(clock.pauses(), c.pauses);
    }
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
        int w = 0;
        ASSERT_EQ(p.port->send(data.data(), static_cast<int>(data.size()), &w, 0, 0, 0), kOk);
        ASSERT_EQ(w, 120000);
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
        std::string text;
        EXPECT_EQ(sendRun(flag.empty() ? std::vector<std::string>{path, target}
                                       : std::vector<std::string>{flag, path, target},
                          &text),
                  3);
        EXPECT_NE(text.find("The printer took no data for 180 seconds\n"), std::string::npos) << flag << text;
        EXPECT_EQ(text.find("err=1101 dwErr=10060\n") != std::string::npos, flag.empty()) << text;
    }
    DeleteFileA(path.c_str());
}

} // namespace
