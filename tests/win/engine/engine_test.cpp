// The threaded engine through its first user, WComA, against the simulated serial device: queue
// capacity and partial puts, packet boundaries and user values, counts with a block in flight, releases
// that drain or stop at once, purges, hooks, and claims that fail part-way.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "os/Syscalls.h"
#include "port/WAsync.h"
#include "serial/WComA.h"
#include "sim/SimComm.h"
#include "support/Seam.h"
#include "support/TestUtil.h"

namespace ptl {
namespace {

using test::Seam;
using test::SimComm;
using test::waitUntil;
using namespace std::chrono_literals;

struct HookLog {
    std::mutex lock;
    std::vector<std::tuple<int, int, int>> sends;
    std::vector<int> recvs;
};
HookLog *gHooks = nullptr;

void onSend(WPort *, int written, int u2, int u3) {
    std::lock_guard<std::mutex> g(gHooks->lock);
    gHooks->sends.emplace_back(written, u2, u3);
}

void onRecv(WPort *, int stored) {
    std::lock_guard<std::mutex> g(gHooks->lock);
    gHooks->recvs.push_back(stored);
}

class Engine : public ::testing::Test {
protected:
    void SetUp() override {
        seam.captureDebug();
        baseline = os::openTotal();
        port.setPortNo(3);
        gHooks = &hooks;
    }
    void TearDown() override {
        port.release(0);
        EXPECT_EQ(os::openTotal(), baseline) << os::openReport();
        gHooks = nullptr;
    }
    int sendCount() {
        int n = -1;
        EXPECT_EQ(port.getSendCount(&n), 0);
        return n;
    }
    int recvCount() {
        int n = -1;
        EXPECT_EQ(port.getRecvCount(&n), 0);
        return n;
    }

    Seam seam;
    SimComm dev{seam, "\\\\.\\COM3"};
    int baseline = 0;
    HookLog hooks;
    struct : WComA {
        using WAsync::sendWake_;
    } port;
};

TEST_F(Engine, FullRingTakesPartOfASendAndCountsTheBlockInFlight) {
    dev.holdWrites(true);
    ASSERT_EQ(port.claim(0), 0);
    const std::string data = test::testBytes(300 * 1024);
    int written = -1;
    ASSERT_EQ(port.send(data.data(), static_cast<int>(data.size()), &written, 0, 0, 0), 0);
    EXPECT_EQ(written, 262144); // the ring's capacity: the thread had not taken anything yet

    // The send thread takes one 4096-byte block and its write pends; the block still counts.
    ASSERT_TRUE(waitUntil([&] { return dev.pendingWrites() == 1; }));
    EXPECT_EQ(dev.writeSizes(), std::vector<DWORD>{4096});
    EXPECT_EQ(sendCount(), 262144);

    // The next send gets exactly the room the thread made.
    ASSERT_EQ(port.send(data.data() + written, 100000, &written, 0, 0, 0), 0);
    EXPECT_EQ(written, 4096);
    EXPECT_EQ(sendCount(), 262144 + 4096);

    // Once the device takes data again everything arrives in order, block by block.
    dev.holdWrites(false);
    ASSERT_TRUE(waitUntil([&] { return sendCount() == 0; }));
    EXPECT_EQ(dev.written(), data.substr(0, 262144 + 4096));
    for (DWORD size : dev.writeSizes())
        EXPECT_LE(size, 4096u);
}

TEST_F(Engine, PacketQueueCarriesEachSendsUserValuesToTheSendHook) {
    port.sendHook = onSend;
    ASSERT_EQ(port.setSendQueueType(1), 0);
    int kind = -1;
    EXPECT_EQ(port.getSendQueueType(&kind), 0);
    EXPECT_EQ(kind, 1);
    ASSERT_EQ(port.claim(0), 0);
    const std::string data = test::testBytes(300 * 1024);
    const std::string tail = test::testBytes(100);
    int written = -1;
    ASSERT_EQ(port.send(data.data(), static_cast<int>(data.size()), &written, 11, 55, 66), 0);
    EXPECT_EQ(written, 300 * 1024); // no capacity: all of it
    ASSERT_EQ(port.send(tail.data(), 100, &written, 12, 77, 88), 0);
    ASSERT_TRUE(waitUntil([&] { return dev.written().size() == data.size() + 100; }));
    EXPECT_EQ(dev.written(), data + tail);

    // 75 blocks of 4096 with the first send's p5/p6, then one of 100 with the second's: packets never mix.
    std::vector<DWORD> expectSizes(75, 4096);
    expectSizes.push_back(100);
    EXPECT_EQ(dev.writeSizes(), expectSizes);
    ASSERT_TRUE(waitUntil([&] {
        std::lock_guard<std::mutex> g(hooks.lock);
        return hooks.sends.size() == 76;
    }));
    std::lock_guard<std::mutex> g(hooks.lock);
    for (size_t i = 0; i < 75; ++i)
        EXPECT_EQ(hooks.sends[i], std::make_tuple(4096, 55, 66)) << i;
    EXPECT_EQ(hooks.sends[75], std::make_tuple(100, 77, 88));
}

// A queue kind the engine does not know, a ring that is not a power of two, or a block of 0: 1011 at
// claim, with nothing opened.
TEST_F(Engine, BadQueueSettingsFailTheClaimWith1011) {
    const std::function<void(WComA &)> settings[] = {
        [](WComA &p) { p.setSendQueueType(2); }, [](WComA &p) { p.setRecvQueueType(7); },
        [](WAsync &p) { p.setSendQueueSize(100000); }, [](WAsync &p) { p.setRecvBlockSize(0); }};
    for (const auto &set : settings) {
        WComA p;
        p.setPortNo(3);
        set(p);
        EXPECT_EQ(p.claim(0), kQueueFailed);
        EXPECT_FALSE(p.isClaimed());
        EXPECT_FALSE(dev.isOpen());
        EXPECT_EQ(os::openTotal(), baseline) << os::openReport();
    }
}

TEST_F(Engine, ReleaseZeroReturnsPromptlyWhileAWriteNeverCompletes) {
    dev.holdWrites(true);
    ASSERT_EQ(port.claim(0), 0);
    int written = 0;
    ASSERT_EQ(port.send("abcdef", 6, &written, 0, 0, 0), 0);
    ASSERT_TRUE(waitUntil([&] { return dev.pendingWrites() == 1 && dev.readCalls() >= 1; }));
    auto released = std::async(std::launch::async, [&] { return port.release(0); });
    ASSERT_EQ(released.wait_for(10s), std::future_status::ready) << "release(0) hung on a pending write";
    EXPECT_EQ(released.get(), 0);
    // The write was cancelled by the thread that issued it and collected before the buffers went.
    EXPECT_EQ(dev.count("CancelIo"), 2); // the send thread's write and the receive thread's read
    EXPECT_EQ(dev.pendingWrites(), 0u);
    EXPECT_EQ(dev.written(), "");
    EXPECT_TRUE(seam.sawDebug("PTL: WAsync::stopThreads()\n"));
    EXPECT_TRUE(seam.sawDebug("PTL: WComA::procSend() End\n"));
    EXPECT_TRUE(seam.sawDebug("PTL: WComA::procRecv() End\n"));
}

TEST_F(Engine, ReleaseWithADrainTimeLetsTheQueueDrainAndEndsWhenItIsEmpty) {
    // The drain's poll period never runs out here: only the engine's signal ends a wait.
    std::atomic<int> waits{0}, expired{0};
    auto wait = seam.original<&os::Api::WaitForSingleObject>();
    seam.on<&os::Api::WaitForSingleObject>([&, wait](HANDLE h, DWORD ms) -> DWORD {
        if (ms != kSendPollMs)
            return wait(h, ms);
        ++waits;
        const DWORD rc = wait(h, 30000);
        expired += rc == WAIT_TIMEOUT;
        return rc;
    });
    dev.holdWrites(true);
    ASSERT_EQ(port.claim(0), 0);
    const std::string data = test::testBytes(50000);
    int written = 0;
    ASSERT_EQ(port.send(data.data(), 50000, &written, 0, 0, 0), 0);
    ASSERT_EQ(written, 50000);
    auto released = std::async(std::launch::async, [&] { return port.release(5000); });
    // The drain must be waiting before the device moves, or the queue may be empty at its first look.
    EXPECT_TRUE(test::waitUntil([&] { return waits.load() >= 1; }));
    dev.holdWrites(false);
    ASSERT_EQ(released.wait_for(30s), std::future_status::ready);
    EXPECT_EQ(released.get(), 0);
    EXPECT_EQ(dev.written(), data);
    EXPECT_EQ(expired.load(), 0);
}

// waitUntil in a tight loop, to keep each round of a race short.
template <class Pred> bool spinUntil(Pred pred) {
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!pred())
        if (std::this_thread::yield(), std::chrono::steady_clock::now() > deadline)
            return false;
    return true;
}

TEST_F(Engine, ASendRacingTheSendThreadGoingToSleepIsNeverLost) {
    // Each round holds the send thread at the door of its idle wait until the round's bytes are queued.
    std::atomic<bool> armed{true}, held{false}, queued{false};
    auto wait = seam.original<&os::Api::WaitForMultipleObjects>();
    seam.on<&os::Api::WaitForMultipleObjects>(
        [&, wait](DWORD n, const HANDLE *h, BOOL all, DWORD ms) -> DWORD {
            if (h[n - 1] == port.sendWake_.get() && armed.exchange(false)) {
                held = true;
                spinUntil([&] { return queued.exchange(false); });
            }
            return wait(n, h, all, ms);
        });
    ASSERT_EQ(port.claim(0), 0);
    std::string sent;
    for (int i = 0; i < 60; ++i) {
        const std::string chunk = test::testBytes(1 + i % 7 * 1500);
        if (!spinUntil([&] { return held.exchange(false); }))
            break; // reported below
        armed = true;
        int written = 0;
        ASSERT_EQ(port.send(chunk.data(), static_cast<int>(chunk.size()), &written, 0, 0, 0), 0);
        queued = true;
        sent += chunk;
        EXPECT_TRUE(spinUntil([&] { return dev.written().size() == sent.size(); })) << "lost at round " << i;
    }
    EXPECT_EQ(dev.written(), sent);
    port.release(0); // while the hook's state lives
}

TEST_F(Engine, ReleaseWithADrainTimeGivesUpWith1019WhenNothingMoves) {
    dev.holdWrites(true);
    ASSERT_EQ(port.claim(0), 0);
    int written = 0;
    ASSERT_EQ(port.send("stuck", 5, &written, 0, 0, 0), 0);
    EXPECT_EQ(port.release(100), kTimeout);
    EXPECT_FALSE(port.isClaimed());
    EXPECT_FALSE(dev.isOpen());
}

TEST_F(Engine, ReceivedBytesWaitInTheQueueAndReachTheHook) {
    port.recvHook = onRecv;
    ASSERT_EQ(port.claim(0), 0);
    char buf[16];
    int got = -1;
    EXPECT_EQ(port.recv(buf, sizeof buf, &got, 0), 0);
    EXPECT_EQ(got, 0); // nothing there: at once

    dev.feed("hello");
    ASSERT_TRUE(waitUntil([&] { return recvCount() == 5; }));
    EXPECT_EQ(port.recv(buf, 3, &got, 0), 0);
    EXPECT_EQ(std::string(buf, got), "hel");
    EXPECT_EQ(port.recv(buf, sizeof buf, &got, 0), 0);
    EXPECT_EQ(std::string(buf, got), "lo");
    {
        std::lock_guard<std::mutex> g(hooks.lock);
        EXPECT_EQ(hooks.recvs, std::vector<int>{5});
    }
    // clearRecv empties the driver and the queue.
    dev.feed("0123456789");
    ASSERT_TRUE(waitUntil([&] { return recvCount() == 10; }));
    EXPECT_EQ(port.clearRecv(), 0);
    EXPECT_EQ(recvCount(), 0);
    EXPECT_EQ(dev.count("PurgeComm 8"), 1); // PURGE_RXCLEAR
}

TEST_F(Engine, ClearSendDropsTheQueueAndTheBlockInFlight) {
    dev.holdWrites(true);
    ASSERT_EQ(port.claim(0), 0);
    const std::string data = test::testBytes(10000);
    int written = 0;
    ASSERT_EQ(port.send(data.data(), 10000, &written, 0, 0, 0), 0);
    ASSERT_TRUE(waitUntil([&] { return dev.pendingWrites() == 1; }));
    EXPECT_EQ(port.clearSend(), 0);
    EXPECT_EQ(dev.count("PurgeComm 4"), 1); // PURGE_TXCLEAR
    EXPECT_EQ(sendCount(), 0);
    // The write in flight completes afterwards: the count must not go below zero and nothing more is
    // written.
    dev.holdWrites(false);
    ASSERT_TRUE(waitUntil([&] { return dev.written().size() == 4096; }));
    EXPECT_EQ(sendCount(), 0);
    ASSERT_EQ(port.send("x", 1, &written, 0, 0, 0), 0);
    ASSERT_TRUE(waitUntil([&] { return dev.written().size() == 4097; }));
    EXPECT_EQ(dev.written(), data.substr(0, 4096) + "x");
}

// A send without a claim: the library's log test FailedThreadedSendReportsNothingTakenAndTracesNothing.
TEST_F(Engine, QueueOperationsWithoutAClaim) {
    int got = 0; // the counts: the Answers table
    char buf[4];
    EXPECT_EQ(port.recv(buf, 4, &got, 0), kReadFailed);
    EXPECT_EQ(port.clearSend(), kPurgeFailed);
    EXPECT_EQ(port.clearRecv(), kPurgeFailed);
    EXPECT_EQ(port.release(5000), 0);
}

TEST_F(Engine, DestroyingAClaimedPortWithQueuedDataFreesEverything) {
    auto *p = new WComA;
    p->setPortNo(3);
    dev.holdWrites(true);
    ASSERT_EQ(p->claim(0), 0);
    const std::string data = test::testBytes(200000);
    int written = 0;
    ASSERT_EQ(p->send(data.data(), 200000, &written, 0, 0, 0), 0);
    dev.feed("incoming");
    delete p;
    EXPECT_FALSE(dev.isOpen());
    EXPECT_EQ(os::openTotal(), baseline) << os::openReport();
}

// A device whose writes fail at once must not make the send thread spin: it retries at a measured pace.
TEST_F(Engine, FailingWritesAreRetriedAtAPace) {
    for (int i = 1; i <= 1000; ++i)
        dev.failNth("WriteFile", i, ERROR_GEN_FAILURE);
    ASSERT_EQ(port.claim(0), 0);
    int written = 0;
    ASSERT_EQ(port.send("abc", 3, &written, 0, 0, 0), 0);
    ASSERT_TRUE(waitUntil([&] { return dev.writeSizes().size() >= 3; }));
    const size_t tries = dev.writeSizes().size();
    const DWORD start = GetTickCount();
    ASSERT_TRUE(waitUntil([&] { return GetTickCount() - start >= 200; }));
    // About ten retries in 200 ms at a 20 ms pace; a spinning thread makes thousands.
    EXPECT_LT(dev.writeSizes().size() - tries, 100u);
    EXPECT_TRUE(seam.sawDebug("PTL: WriteFile dwErr=31\n"));
}

// The engine's own setters hold the sizes (the port's slots keep the root answers) and a claim takes them;
// sizes set while claimed wait for the next claim: the threads keep to the buffers they have.
TEST_F(Engine, SizesSetOnTheEngineApplyAtTheNextClaim) {
    WAsync &engine = port;
    WPort &asPort = port;
    EXPECT_EQ(asPort.getSendQueueSize(), 0);
    EXPECT_FALSE(asPort.setSendQueueSize(1024));
    EXPECT_TRUE(engine.setSendQueueSize(1024));
    EXPECT_TRUE(engine.setSendBlockSize(256));
    EXPECT_EQ(engine.getSendQueueSize(), 1024);
    port.recvHook = onRecv;
    ASSERT_EQ(port.claim(0), 0);
    engine.setSendBlockSize(1 << 20);
    engine.setRecvBlockSize(1 << 20);
    const std::string data = test::testBytes(5000);
    int written = 0;
    ASSERT_EQ(port.send(data.data(), 5000, &written, 0, 0, 0), 0);
    EXPECT_EQ(written, 1024);
    dev.feed(std::string(10000, 'r'));
    ASSERT_TRUE(waitUntil([&] { return dev.written().size() == 1024 && recvCount() == 10000; }));
    EXPECT_EQ(dev.writeSizes(), std::vector<DWORD>(4, 256));
    std::lock_guard<std::mutex> g(hooks.lock);
    for (int n : hooks.recvs)
        EXPECT_LE(n, 4096);
}

TEST_F(Engine, FullReceiveQueueDropsTheRestAndTheHookCountsWhatWasKept) {
    port.recvHook = onRecv;
    WAsync &engine = port;
    engine.setRecvQueueSize(1024);
    ASSERT_EQ(port.claim(0), 0);
    const std::string in = test::testBytes(3000);
    auto hookCalls = [&] {
        std::lock_guard<std::mutex> g(hooks.lock);
        return hooks.recvs.size();
    };
    dev.feed(in);
    ASSERT_TRUE(waitUntil([&] { return hookCalls() == 1; }));
    dev.feed("more");
    ASSERT_TRUE(waitUntil([&] { return hookCalls() == 2; }));
    EXPECT_EQ(hooks.recvs, (std::vector<int>{1024, 0}));
    char buf[4096];
    int got = 0;
    EXPECT_EQ(port.recv(buf, sizeof buf, &got, 0), 0);
    EXPECT_EQ(std::string(buf, got), in.substr(0, 1024));
}

// A write or read that completes with a failure is logged with what moved, what was asked and the error.
TEST_F(Engine, FailedCompletionsAreLogged) {
    dev.holdWrites(true);
    ASSERT_EQ(port.claim(0), 0);
    int written = 0;
    ASSERT_EQ(port.send("abc", 3, &written, 0, 0, 0), 0);
    ASSERT_TRUE(waitUntil([&] { return dev.pendingWrites() == 1 && dev.readCalls() >= 1; }));
    dev.failPending(ERROR_CRC);
    EXPECT_TRUE(waitUntil([&] { return seam.sawDebug("PTL: WGOR(0/3) dwErr=23 *****\n"); }));
    EXPECT_TRUE(waitUntil([&] { return seam.sawDebug("PTL: RGOR(0/4096) dwErr=23 *****\n"); }));
    dev.holdWrites(false);
    EXPECT_TRUE(waitUntil([&] { return dev.written() == "abc"; })); // the failed write is tried again
}

} // namespace
} // namespace ptl
