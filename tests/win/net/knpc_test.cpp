// The control channel against a UDP printer on loopback: what is sent, how often, how long it waits, which
// replies count, and cancellation from another thread.
#include <gtest/gtest.h>

#include <thread>

#include "NetPeers.h"
#include "core/Results.h"
#include "net/KnpcFrame.h"
#include "net/WKnpc.h"
#include "support/Seam.h"

namespace {

using namespace ptl;
using namespace ptl::test;
using Api = ptl::os::Api;

Bytes resetRequest() {
    uint8_t b[knpc::kControlRequestSize];
    return Bytes(b, b + knpc::buildReset(b));
}

struct Channel {
    std::string ip = nextLoopback();
    WKnpc knpc;
    Channel() {
        ensureWinsock();
        knpc.setAddress(addressOf(ip));
    }
    int transact(const Bytes &req, int timeoutMs = 1000, int tries = 3) {
        return knpc.transact(req.data(), static_cast<int>(req.size()), timeoutMs, tries);
    }
};

TEST(Knpc, AnswerArrivesAfterOneRequestWithTheExactBytesSent) {
    Channel c;
    UdpPrinter printer(c.ip, answering(0, {1}));
    ASSERT_TRUE(printer.bound());
    Seam seam;
    seam.captureDebug();
    ASSERT_EQ(c.knpc.claim(0), kOk);
    Bytes req = resetRequest();
    ASSERT_EQ(c.transact(req), kOk);
    ASSERT_EQ(printer.requestCount(), 1);
    EXPECT_EQ(printer.requests()[0], req);
    EXPECT_EQ(c.knpc.replyLength(), 15);
    EXPECT_EQ(Bytes(c.knpc.reply(), c.knpc.reply() + 15), replyTo(req, 0, {1}));
    EXPECT_TRUE(seam.sawDebug("PTL: WKnpc::claim()\n"));
    EXPECT_TRUE(seam.sawDebug("PTL: sendto(len=15)=15\n"));
    EXPECT_TRUE(seam.sawDebug("PTL: WaitForMulti()=1\n"));
    EXPECT_TRUE(seam.sawDebug("PTL:  FD_READ 0\n"));
    EXPECT_TRUE(seam.sawDebug("PTL: recvfrom(fromlen=16)=15\n"));
    c.knpc.release(7);
    EXPECT_TRUE(seam.sawDebug("PTL: WKnpc::release(7)\n"));
}

TEST(Knpc, SilentPrinterGetsThreeRequestsAboutASecondApartThenTimeout) {
    Channel c;
    UdpPrinter printer(c.ip, nullptr);
    Seam seam;
    seam.captureDebug();
    ASSERT_EQ(c.knpc.claim(0), kOk);
    const DWORD start = GetTickCount();
    EXPECT_EQ(c.transact(resetRequest()), kTimeout);
    const DWORD took = since(start);
    EXPECT_GE(took, 2900u);
    EXPECT_LT(took, 4500u);
    ASSERT_TRUE(waitFor([&] { return printer.requestCount() == 3; }, 1000));
    auto t = printer.requestTimes();
    EXPECT_GE(t[1] - t[0], 900u);
    EXPECT_GE(t[2] - t[1], 900u);
    EXPECT_EQ(seam.debugCount("PTL: sendto(len=15)=15\n"), 3);
    EXPECT_EQ(seam.debugCount("PTL: WaitForMulti()=258\n"), 3);
}

TEST(Knpc, NonMatchingRepliesConsumeAttemptsAndResend) {
    Channel c;
    std::atomic<int> n{0};
    // Upper-case kind, then wrong code, then a 13-byte datagram: three attempts used, no time-outs.
    UdpPrinter printer(c.ip, [&](const Bytes &r) {
        Bytes rep = replyTo(r, 0, {1});
        switch (n++) {
        case 0:
            rep[5] = 'C';
            break;
        case 1:
            rep[9] ^= 1;
            break;
        default:
            rep.resize(13);
            break;
        }
        return one(rep);
    });
    ASSERT_EQ(c.knpc.claim(0), kOk);
    const DWORD start = GetTickCount();
    EXPECT_EQ(c.transact(resetRequest()), kTimeout);
    EXPECT_LT(since(start), 900u); // never waited out a whole second
    EXPECT_EQ(printer.requestCount(), 3);
}

TEST(Knpc, WrongReplyThenRightOneSucceedsOnTheSecondRequest) {
    Channel c;
    std::atomic<int> n{0};
    UdpPrinter printer(c.ip, [&](const Bytes &r) {
        Bytes rep = replyTo(r, 0, {1});
        if (n++ == 0)
            rep[0] = 'X';
        return one(rep);
    });
    ASSERT_EQ(c.knpc.claim(0), kOk);
    EXPECT_EQ(c.transact(resetRequest()), kOk);
    EXPECT_EQ(printer.requestCount(), 2);
}

// The answer to a request that timed out arrives during the next transaction: it is not taken for that
// one's answer, which comes after it.
TEST(Knpc, LateReplyToAnEarlierRequestIsNotTheNextAnswer) {
    Channel c;
    std::atomic<int> n{0};
    Bytes first, second;
    UdpPrinter printer(c.ip, [&](const Bytes &r) -> std::vector<UdpPrinter::Answer> {
        if (++n == 1)
            first = r; // silent until the next request
        if (n != 2)
            return {};
        second = r;
        return {{replyTo(first, 0, {1}), ""}, {replyTo(r, 0, {2}), ""}};
    });
    ASSERT_EQ(c.knpc.claim(0), kOk);
    EXPECT_EQ(c.transact(resetRequest(), 100, 1), kTimeout);
    uint8_t check[knpc::kControlRequestSize];
    ASSERT_EQ(c.transact(Bytes(check, check + knpc::buildCheck(check))), kOk);
    EXPECT_EQ(Bytes(c.knpc.reply(), c.knpc.reply() + c.knpc.replyLength()), replyTo(second, 0, {2}));
}

TEST(Knpc, ReplyFromAnotherHostIsAccepted) {
    Channel c;
    const std::string other = nextLoopback();
    UdpPrinter printer(c.ip, [&](const Bytes &r) { return one(replyTo(r, 0, {1}), other); });
    ASSERT_EQ(c.knpc.claim(0), kOk);
    EXPECT_EQ(c.transact(resetRequest()), kOk);
    // The answer came from another socket (not port 3289). Wine sends every UDP datagram of a socket bound
    // to a 127.x address from 127.0.0.1, so the source address proves nothing there; the port does.
    EXPECT_NE(c.knpc.from().sin_port, htons(3289));
    if (!os::isWine()) {
        EXPECT_EQ(c.knpc.from().sin_addr.s_addr, addressOf(other));
    }
}

TEST(Knpc, TransactAfterReleaseOrBeforeClaimSendsNothing) {
    Channel c;
    UdpPrinter printer(c.ip, answering(0, {1}));
    Seam seam;
    seam.captureDebug();
    EXPECT_EQ(c.transact(resetRequest()), kTimeout); // never claimed
    ASSERT_EQ(c.knpc.claim(0), kOk);
    EXPECT_EQ(c.knpc.release(0), kOk);
    const DWORD start = GetTickCount();
    EXPECT_EQ(c.transact(resetRequest()), kTimeout);
    EXPECT_LT(since(start), 500u);
    EXPECT_EQ(seam.debugCount("PTL: sendto(len=15)=15\n"), 0);
    EXPECT_EQ(printer.requestCount(), 0);
}

TEST(Knpc, ReleaseOfUnclaimedChannelIsSilent) {
    WKnpc k;
    Seam seam;
    seam.captureDebug();
    EXPECT_EQ(k.release(5), kOk);
    EXPECT_TRUE(seam.debugLines().empty());
}

TEST(Knpc, ReleaseOnAnotherThreadCancelsAWaitingTransaction) {
    Channel c;
    UdpPrinter printer(c.ip, nullptr);
    const OpenSnapshot before;
    ASSERT_EQ(c.knpc.claim(0), kOk);
    std::atomic<int> result{-100};
    std::atomic<DWORD> took{0};
    std::thread t([&] {
        const DWORD start = GetTickCount();
        result = c.transact(resetRequest(), 10000, 3); // would wait 30 s without the cancel
        took = since(start);
    });
    ASSERT_TRUE(waitFor([&] { return printer.requestCount() == 1; }, 5000));
    EXPECT_EQ(c.knpc.release(0), kOk);
    t.join();
    EXPECT_EQ(result, kCtlCancelled);
    EXPECT_LT(took, 5000u);
    EXPECT_FALSE(c.knpc.isClaimed());
    EXPECT_TRUE(before == OpenSnapshot()) << os::openReport();
}

TEST(Knpc, ClaimFailuresLeaveNothingOpen) {
    ensureWinsock();
    const OpenSnapshot before;
    {
        WKnpc k;
        Seam seam;
        seam.failNth<&Api::socket>(1, INVALID_SOCKET, WSAEMFILE);
        EXPECT_EQ(k.claim(0), kSocketFailed);
        EXPECT_FALSE(k.isClaimed());
    }
    {
        WKnpc k;
        Seam seam;
        seam.failNth<&Api::WSACreateEvent>(1, WSA_INVALID_EVENT, WSA_NOT_ENOUGH_MEMORY);
        EXPECT_EQ(k.claim(0), kCantClaim);
        EXPECT_FALSE(k.isClaimed());
    }
    {
        WKnpc k;
        Seam seam;
        seam.failNth<&Api::CreateEventA>(1, nullptr, ERROR_NOT_ENOUGH_MEMORY);
        EXPECT_EQ(k.claim(0), kEventsFailed);
        EXPECT_FALSE(k.isClaimed());
    }
    EXPECT_TRUE(before == OpenSnapshot()) << os::openReport();
}

TEST(Knpc, SendAndReceiveFailuresHaveTheirOwnCodes) {
    Channel c;
    UdpPrinter printer(c.ip, answering(0, {1}));
    ASSERT_EQ(c.knpc.claim(0), kOk);
    {
        Seam seam;
        seam.failNth<&Api::sendto>(1, SOCKET_ERROR, WSAENETUNREACH);
        EXPECT_EQ(c.transact(resetRequest()), kCtlSendFailed);
    }
    {
        Seam seam;
        // A failing receive still takes the datagram off the socket, as a real one does.
        seam.on<&Api::recvfrom>([&](SOCKET s, char *b, int n, int f, sockaddr *from, int *fromLen) {
            seam.original<&Api::recvfrom>()(s, b, n, f, from, fromLen);
            WSASetLastError(WSAECONNRESET);
            return SOCKET_ERROR;
        });
        EXPECT_EQ(c.transact(resetRequest()), kCtlReceiveFailed);
        EXPECT_EQ(c.knpc.replyLength(), SOCKET_ERROR);
    }
    // Still usable after a failed transaction.
    EXPECT_EQ(c.transact(resetRequest()), kOk);
}

} // namespace
