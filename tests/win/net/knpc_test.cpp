// The control channel against a UDP printer on loopback: what is sent, how often, how long it waits, which
// replies count, and cancellation from another thread.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include "NetPeers.h"
#include "core/Results.h"
#include "net/KnpcFrame.h"
#include "net/WKnpc.h"
#include "support/Seam.h"
#include "support/TestUtil.h"

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

// A silent printer gets three requests, each waited for a second (on a simulated clock); a reply that is not
// the answer (upper-case kind, another code, 13 bytes) uses an attempt without waiting and is asked again.
// Each request is sent whole, each reply read when it arrives.
TEST(Knpc, EachAttemptSendsTheRequestAgain) {
    const DWORD s = 1000;
    struct Case {
        std::vector<int> faults; // per request: -1 none (the answer), 0 silent, else the reply fault
        int result, requests;
        std::vector<DWORD> timeouts;
    } cases[] = {{{0, 0, 0}, kTimeout, 3, {s, s, s}},
                 {{5, 9, 13}, kTimeout, 3, {}},
                 {{0, -1}, kOk, 2, {s}},
                 {{13, -1}, kOk, 2, {}}};
    for (const Case &c : cases) {
        Channel ch;
        std::atomic<size_t> n{0};
        UdpPrinter printer(ch.ip, [&](const Bytes &r) {
            const int fault = n < c.faults.size() ? c.faults[n] : -1;
            ++n;
            Bytes rep = replyTo(r, 0, {1});
            if (fault == 0)
                return std::vector<Bytes>{};
            if (fault == 13)
                rep.resize(13);
            else if (fault > 0)
                rep[fault] ^= fault == 5 ? 0x20 : 1; // 'c' -> 'C', or a code byte changed
            return one(rep);
        });
        Seam seam;
        seam.captureDebug();
        VirtualClock clock(seam);
        ASSERT_EQ(ch.knpc.claim(0), kOk);
        EXPECT_EQ(ch.transact(resetRequest()), c.result);
        EXPECT_EQ(printer.requestCount(), c.requests);
        EXPECT_EQ(clock.pauses(), c.timeouts);
        EXPECT_EQ(seam.debugCount("PTL: sendto(len=15)=15\n"), c.requests);
        EXPECT_EQ(seam.debugCount("PTL: WaitForMulti()=258\n"), static_cast<int>(c.timeouts.size()));
        const int replies = c.requests - static_cast<int>(c.timeouts.size());
        EXPECT_EQ(seam.debugCount("PTL:  FD_READ 0\n"), replies);
        EXPECT_EQ(seam.debugCount("PTL: WaitForMulti()=1\n"), replies);
        EXPECT_EQ(seam.sawDebug("PTL: recvfrom(fromlen=16)=15\n"), replies > 0);
        EXPECT_TRUE(seam.sawDebug("PTL: WKnpc::claim()\n"));
    }
}

TEST(Knpc, TransactAfterReleaseOrBeforeClaimSendsNothing) {
    Channel c;
    UdpPrinter printer(c.ip, answering(0, {1}));
    Seam seam;
    seam.captureDebug();
    EXPECT_EQ(c.knpc.release(5), kOk); // never claimed: silent
    EXPECT_TRUE(seam.debugLines().empty());
    EXPECT_EQ(c.transact(resetRequest()), kTimeout);
    ASSERT_EQ(c.knpc.claim(0), kOk);
    EXPECT_EQ(c.knpc.release(0), kOk);
    EXPECT_EQ(c.transact(resetRequest()), kTimeout);
    EXPECT_EQ(seam.debugCount("PTL: sendto(len=15)=15\n"), 0);
    EXPECT_EQ(printer.requestCount(), 0);
}

TEST(Knpc, ReleaseOnAnotherThreadCancelsAWaitingTransaction) {
    Channel c;
    UdpPrinter printer(c.ip, nullptr);
    const OpenSnapshot before;
    ASSERT_EQ(c.knpc.claim(0), kOk);
    std::atomic<int> result{-100};
    std::thread t([&] { result = c.transact(resetRequest(), 30000, 3); }); // 90 s without the cancel
    ASSERT_TRUE(waitUntil([&] { return printer.requestCount() == 1; }));
    EXPECT_EQ(c.knpc.release(0), kOk);
    t.join(); // a hang here is the fault
    EXPECT_EQ(result, kCtlCancelled);
    EXPECT_FALSE(c.knpc.isClaimed());
    EXPECT_TRUE(before == OpenSnapshot()) << os::openReport();
}

TEST(Knpc, ClaimFailuresLeaveNothingOpen) {
    ensureWinsock();
    const OpenSnapshot before;
    const std::function<void(Seam &)> faults[] = {
        [](Seam &s) { s.failNth<&Api::socket>(1, INVALID_SOCKET, WSAEMFILE); },
        [](Seam &s) { s.failNth<&Api::WSACreateEvent>(1, WSA_INVALID_EVENT, WSA_NOT_ENOUGH_MEMORY); },
        [](Seam &s) { s.failNth<&Api::CreateEventA>(1, nullptr, ERROR_NOT_ENOUGH_MEMORY); }};
    const int codes[] = {kSocketFailed, kCantClaim, kEventsFailed};
    for (int i = 0; i < 3; ++i) {
        WKnpc k;
        Seam seam;
        faults[i](seam);
        EXPECT_EQ(k.claim(0), codes[i]);
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

// The answer to a request that timed out arrives during the next transaction: it is not taken for that
// one's answer, which comes after it.
TEST(Knpc, LateReplyToAnEarlierRequestIsNotTheNextAnswer) {
    Channel c;
    std::atomic<int> n{0};
    Bytes first, second;
    UdpPrinter printer(c.ip, [&](const Bytes &r) -> std::vector<Bytes> {
        if (++n == 1)
            first = r; // silent until the next request
        if (n != 2)
            return {};
        second = r;
        return {replyTo(first, 0, {1}), replyTo(r, 0, {2})};
    });
    ASSERT_EQ(c.knpc.claim(0), kOk);
    EXPECT_EQ(c.transact(resetRequest(), 100, 1), kTimeout);
    uint8_t check[knpc::kControlRequestSize];
    ASSERT_EQ(c.transact(Bytes(check, check + knpc::buildCheck(check))), kOk);
    EXPECT_EQ(Bytes(c.knpc.reply(), c.knpc.reply() + c.knpc.replyLength()), replyTo(second, 0, {2}));
}

} // namespace
