// The engine's byte queues against a byte-at-a-time reference model: capacity, partial puts, wrap,
// clearing, packet boundaries and user values.
#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <random>
#include <vector>

#include "port/PortQueue.h"

namespace ptl {
namespace {

// Random puts, gets, peeks, consumes and clears against a deque: wrap-around copies must give exactly
// what a byte-by-byte ring gives, and a clear must leave a ring that starts afresh.
TEST(RingQueue, MatchesAByteByByteModelAcrossWrapsAndClears) {
    RingQueue q;
    ASSERT_EQ(q.setCapacity(64), 1);
    std::deque<uint8_t> model;
    std::mt19937 gen(42);
    uint8_t next = 0;
    for (int step = 0; step < 20000; ++step) {
        const uint32_t n = gen() % 80;
        switch (gen() % 9) {
        case 0: // clear, now and then
            q.clear();
            model.clear();
            break;
        case 1:
        case 2: {
            std::vector<uint8_t> in(n);
            for (auto &b : in)
                b = next++;
            uint32_t stored = 99;
            q.put(in.data(), n, &stored, 1, 2, 3);
            const uint32_t expect = std::min<uint32_t>(n, 64 - static_cast<uint32_t>(model.size()));
            ASSERT_EQ(stored, expect);
            model.insert(model.end(), in.begin(), in.begin() + expect);
            next = static_cast<uint8_t>(next - (n - expect)); // unstored bytes come again
            break;
        }
        case 3:
        case 4: {
            std::vector<uint8_t> out(n + 1, 0xEE);
            uint32_t got = 99;
            int32_t u1 = -5;
            q.get(out.data(), n, &got, &u1, nullptr, nullptr);
            ASSERT_EQ(got, std::min<uint32_t>(n, static_cast<uint32_t>(model.size())));
            ASSERT_EQ(u1, 0); // a ring keeps no user values
            for (uint32_t i = 0; i < got; ++i) {
                ASSERT_EQ(out[i], model.front()) << "step " << step;
                model.pop_front();
            }
            ASSERT_EQ(out[got], 0xEE); // nothing written past the count
            break;
        }
        case 5:
        case 6: {
            const uint8_t *base = nullptr;
            uint32_t off = 0, len = 0;
            q.peek(&base, &off, &len, nullptr, nullptr, nullptr);
            ASSERT_EQ(len, model.size());
            for (uint32_t i = 0; i < len; ++i)
                ASSERT_EQ(base[(off + i) & 63], model[i]) << "step " << step;
            break;
        }
        default: {
            q.consume(n);
            const size_t drop = std::min<size_t>(n, model.size());
            model.erase(model.begin(), model.begin() + static_cast<long>(drop));
            break;
        }
        }
        ASSERT_EQ(q.count(), static_cast<int32_t>(model.size()));
        ASSERT_EQ(q.freeSpace(), 64 - static_cast<int32_t>(model.size()));
    }
}

// The factory's refusals reach the claim as 1011: the engine's BadQueueSettingsFailTheClaimWith1011.
TEST(RingQueue, CapacityMustBeAPowerOfTwoThatFitsTheCounts) {
    for (uint32_t bad : {1000u, 0u, 0x80000000u}) {
        RingQueue q;
        EXPECT_EQ(q.setCapacity(bad), 0) << bad;
        EXPECT_EQ(q.capacity(), 0);
        // A refused ring stores nothing rather than writing through a mask of the wrong size.
        const uint8_t b = 1;
        uint32_t stored = 5;
        q.put(&b, 1, &stored, 0, 0, 0);
        EXPECT_EQ(stored, 0u);
    }
}

TEST(PacketQueue, KeepsPacketBoundariesAndUserValues) {
    PacketQueue q;
    std::vector<uint8_t> a(5000), b = {7, 8, 9};
    for (size_t i = 0; i < a.size(); ++i)
        a[i] = static_cast<uint8_t>(i * 31);
    uint32_t stored = 0;
    q.put(nullptr, 0, &stored, 1, 2, 3); // an empty put makes no packet
    EXPECT_EQ(q.packets(), 0u);
    q.put(a.data(), 5000, &stored, 11, 12, 13);
    EXPECT_EQ(stored, 5000u);
    q.put(b.data(), 3, &stored, 21, 22, 23);
    EXPECT_EQ(q.count(), 5003);
    EXPECT_EQ(q.freeSpace(), -1);

    std::vector<uint8_t> out(4096);
    uint32_t got = 0;
    int32_t u[3] = {};
    q.get(out.data(), 4096, &got, &u[0], &u[1], &u[2]);
    EXPECT_EQ(got, 4096u);
    EXPECT_EQ(std::vector<int32_t>(u, u + 3), (std::vector<int32_t>{11, 12, 13}));
    // The rest of the first packet only, never mixed with the second.
    q.get(out.data(), 4096, &got, &u[0], &u[1], &u[2]);
    EXPECT_EQ(got, 904u);
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + 904, a.begin() + 4096));
    EXPECT_EQ(q.packets(), 1u);

    const uint8_t *base = nullptr;
    uint32_t off = 9, len = 0;
    q.peek(&base, &off, &len, &u[0], nullptr, nullptr);
    EXPECT_EQ(len, 3u);
    EXPECT_EQ(off, 0u);
    EXPECT_EQ(base[0], 7);
    EXPECT_EQ(u[0], 21);
    q.consume(2);
    q.get(out.data(), 10, &got, nullptr, nullptr, nullptr);
    EXPECT_EQ(got, 1u);
    EXPECT_EQ(out[0], 9);

    // Empty: peek clears base, offset and length and leaves the user values alone.
    u[0] = 77;
    q.peek(&base, &off, &len, &u[0], nullptr, nullptr);
    EXPECT_EQ(base, nullptr);
    EXPECT_EQ(len, 0u);
    EXPECT_EQ(u[0], 77);
}

// Run under the leak checker: queues destroyed or cleared while holding data free everything.
TEST(Queues, DestroyingOrClearingFullQueuesReleasesTheirStorage) {
    std::vector<uint8_t> data(100000, 0x5A);
    uint32_t stored = 0;
    for (bool clear : {false, true}) {
        PacketQueue q;
        for (int i = 0; i < 10; ++i)
            q.put(data.data(), 100000, &stored, i, 0, 0);
        EXPECT_EQ(q.count(), 1000000);
        if (clear) {
            q.clear();
            EXPECT_EQ(q.count(), 0);
            EXPECT_EQ(q.packets(), 0u);
        }
    }
    auto ring = makeQueue(kRingQueue, 0x40000);
    ring->put(data.data(), 100000, &stored, 0, 0, 0);
}

} // namespace
} // namespace ptl
