// The engine's byte queues against a byte-at-a-time reference model: capacity, partial puts, wrap,
// packet boundaries and user values.
#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <random>
#include <vector>

#include "port/PortQueue.h"

namespace ptl {
namespace {

constexpr uint32_t kDefaultRing = 0x40000;

std::vector<uint8_t> pattern(size_t n, uint32_t seed) {
    std::vector<uint8_t> v(n);
    std::mt19937 gen(seed);
    for (auto &b : v)
        b = static_cast<uint8_t>(gen());
    return v;
}

TEST(RingQueue, DefaultCapacityTakesAPartialPutAndReturnsTheBytesInOrder) {
    RingQueue q;
    ASSERT_EQ(q.setCapacity(kDefaultRing), 1);
    EXPECT_EQ(q.capacity(), 262144);
    auto data = pattern(300 * 1024, 1);
    uint32_t stored = 0;
    q.put(data.data(), static_cast<uint32_t>(data.size()), &stored, 7, 8, 9);
    EXPECT_EQ(stored, 262144u);
    EXPECT_EQ(q.count(), 262144);
    EXPECT_EQ(q.freeSpace(), 0);

    // Full: nothing more fits.
    q.put(data.data(), 10, &stored, 0, 0, 0);
    EXPECT_EQ(stored, 0u);

    // Draining 4096 lets exactly 4096 more in, at the wrap point.
    std::vector<uint8_t> block(4096);
    uint32_t got = 0;
    int32_t u1 = -5, u2 = -5, u3 = -5;
    q.get(block.data(), 4096, &got, &u1, &u2, &u3);
    EXPECT_EQ(got, 4096u);
    EXPECT_EQ(u1, 0);
    EXPECT_EQ(u2, 0);
    EXPECT_EQ(u3, 0);
    EXPECT_TRUE(std::equal(block.begin(), block.end(), data.begin()));
    q.put(data.data() + 262144, 10000, &stored, 0, 0, 0);
    EXPECT_EQ(stored, 4096u);

    std::vector<uint8_t> all(262144);
    q.get(all.data(), 1000000, &got, nullptr, nullptr, nullptr);
    ASSERT_EQ(got, 262144u);
    EXPECT_TRUE(std::equal(all.begin(), all.end(), data.begin() + 4096));
    EXPECT_EQ(q.count(), 0);
}

// Random puts, gets, peeks and consumes against a deque: wrap-around copies must give exactly what a
// byte-by-byte ring gives.
TEST(RingQueue, MatchesAByteByByteModelAcrossWraps) {
    RingQueue q;
    ASSERT_EQ(q.setCapacity(64), 1);
    std::deque<uint8_t> model;
    std::mt19937 gen(42);
    uint8_t next = 0;
    for (int step = 0; step < 20000; ++step) {
        const uint32_t n = gen() % 80;
        switch (gen() % 4) {
        case 0: {
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
        case 1: {
            std::vector<uint8_t> out(n + 1, 0xEE);
            uint32_t got = 99;
            q.get(out.data(), n, &got, nullptr, nullptr, nullptr);
            ASSERT_EQ(got, std::min<uint32_t>(n, static_cast<uint32_t>(model.size())));
            for (uint32_t i = 0; i < got; ++i) {
                ASSERT_EQ(out[i], model.front());
                model.pop_front();
            }
            ASSERT_EQ(out[got], 0xEE); // nothing written past the count
            break;
        }
        case 2: {
            const uint8_t *base = nullptr;
            uint32_t off = 0, len = 0;
            q.peek(&base, &off, &len, nullptr, nullptr, nullptr);
            ASSERT_EQ(len, model.size());
            for (uint32_t i = 0; i < len; ++i)
                ASSERT_EQ(base[(off + i) & 63], model[i]);
            break;
        }
        case 3: {
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

TEST(RingQueue, ClearAndSetCapacityEmptyTheRing) {
    RingQueue q;
    ASSERT_EQ(q.setCapacity(16), 1);
    const uint8_t in[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    uint32_t stored = 0;
    q.put(in, 10, &stored, 0, 0, 0);
    q.clear();
    EXPECT_EQ(q.count(), 0);
    q.put(in, 10, &stored, 0, 0, 0);
    ASSERT_EQ(q.setCapacity(32), 1);
    EXPECT_EQ(q.count(), 0);
    EXPECT_EQ(q.capacity(), 32);
}

TEST(RingQueue, CapacityThatIsNotAPowerOfTwoIsRefused) {
    RingQueue q;
    EXPECT_EQ(q.setCapacity(1000), 0);
    EXPECT_EQ(q.capacity(), 0);
    EXPECT_EQ(q.setCapacity(0), 0);
    EXPECT_EQ(q.setCapacity(0x80000000u), 0); // would not fit the signed counts
    // A refused ring stores nothing rather than writing through a mask of the wrong size.
    const uint8_t b = 1;
    uint32_t stored = 5;
    q.put(&b, 1, &stored, 0, 0, 0);
    EXPECT_EQ(stored, 0u);
}

TEST(PacketQueue, KeepsPacketBoundariesAndUserValues) {
    PacketQueue q;
    auto a = pattern(5000, 2);
    auto b = pattern(3, 3);
    uint32_t stored = 0;
    q.put(a.data(), 5000, &stored, 11, 12, 13);
    EXPECT_EQ(stored, 5000u);
    q.put(b.data(), 3, &stored, 21, 22, 23);
    EXPECT_EQ(stored, 3u);
    EXPECT_EQ(q.count(), 5003);
    EXPECT_EQ(q.freeSpace(), -1);
    EXPECT_EQ(q.capacity(), -1);
    EXPECT_EQ(q.setCapacity(4096), 0);
    EXPECT_EQ(q.count(), 5003); // setCapacity does nothing

    std::vector<uint8_t> out(4096);
    uint32_t got = 0;
    int32_t u1 = 0, u2 = 0, u3 = 0;
    q.get(out.data(), 4096, &got, &u1, &u2, &u3);
    EXPECT_EQ(got, 4096u);
    EXPECT_EQ(u1, 11);
    EXPECT_EQ(u2, 12);
    EXPECT_EQ(u3, 13);
    // The rest of the first packet only, never mixed with the second.
    q.get(out.data(), 4096, &got, &u1, &u2, &u3);
    EXPECT_EQ(got, 904u);
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + 904, a.begin() + 4096));
    EXPECT_EQ(u3, 13);
    EXPECT_EQ(q.packets(), 1u);

    const uint8_t *base = nullptr;
    uint32_t off = 9, len = 0;
    q.peek(&base, &off, &len, &u1, &u2, &u3);
    EXPECT_EQ(len, 3u);
    EXPECT_EQ(off, 0u);
    EXPECT_EQ(base[0], b[0]);
    EXPECT_EQ(u1, 21);
    q.consume(2);
    EXPECT_EQ(q.count(), 1);
    q.get(out.data(), 10, &got, nullptr, nullptr, nullptr);
    EXPECT_EQ(got, 1u);
    EXPECT_EQ(out[0], b[2]);
    EXPECT_EQ(q.packets(), 0u);

    // Empty: peek clears base, offset and length and leaves the user values alone.
    u1 = 77;
    q.peek(&base, &off, &len, &u1, nullptr, nullptr);
    EXPECT_EQ(base, nullptr);
    EXPECT_EQ(len, 0u);
    EXPECT_EQ(u1, 77);
    q.get(out.data(), 10, &got, nullptr, nullptr, nullptr);
    EXPECT_EQ(got, 0u);
}

TEST(PacketQueue, EmptyPutMakesNoPacket) {
    PacketQueue q;
    uint32_t stored = 9;
    q.put(nullptr, 0, &stored, 1, 2, 3);
    EXPECT_EQ(stored, 0u);
    EXPECT_EQ(q.packets(), 0u);
}

// Run under the leak checker: queues destroyed or cleared while holding data free everything.
TEST(Queues, DestroyingOrClearingFullQueuesReleasesTheirStorage) {
    auto data = pattern(100000, 4);
    uint32_t stored = 0;
    {
        PacketQueue q;
        for (int i = 0; i < 10; ++i)
            q.put(data.data(), 100000, &stored, i, 0, 0);
        EXPECT_EQ(q.count(), 1000000);
    }
    {
        PacketQueue q;
        for (int i = 0; i < 3; ++i)
            q.put(data.data(), 100000, &stored, i, 0, 0);
        q.clear();
        EXPECT_EQ(q.count(), 0);
        EXPECT_EQ(q.packets(), 0u);
    }
    {
        auto ring = makeQueue(kRingQueue, kDefaultRing);
        ASSERT_NE(ring, nullptr);
        ring->put(data.data(), 100000, &stored, 0, 0, 0);
    }
}

TEST(Queues, MakeQueueByType) {
    auto ring = makeQueue(kRingQueue, kDefaultRing);
    ASSERT_NE(ring, nullptr);
    EXPECT_EQ(ring->capacity(), 262144);
    auto packets = makeQueue(kPacketQueue, 0);
    ASSERT_NE(packets, nullptr);
    EXPECT_EQ(packets->capacity(), -1);
    EXPECT_EQ(makeQueue(2, kDefaultRing), nullptr);
    EXPECT_EQ(makeQueue(-1, kDefaultRing), nullptr);
    EXPECT_EQ(makeQueue(kRingQueue, 1000), nullptr);
}

} // namespace
} // namespace ptl
