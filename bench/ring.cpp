// The send queue's ring against one memcpy of the same bytes: 4 KiB blocks moved once through RingQueue
// put+get (a caller's send and the send thread's get, two copies) and once with a single memcpy from the
// caller's buffer to the block buffer. Two copies make 0.5 the ratio's limit; the goal is 0.45. A second
// baseline copies once into a store of the ring's size, as the ring's put does, to show what the store's
// place in the caches costs by itself.
// Prints "memcpy_mbs=<n> ring_mbs=<n> ratio=<n> store_mbs=<n> store_ratio=<n>".
//   bench_ring [MiB]   (default 1024)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "port/PortQueue.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

} // namespace

int main(int argc, char **argv) {
    const long mib = argc > 1 ? std::atol(argv[1]) : 1024;
    const size_t block = 4096;
    const size_t blocks = static_cast<size_t>(mib) * 1024 * 1024 / block;
    std::vector<uint8_t> src(block * 61), dst(block), store(0x40000);
    for (size_t i = 0; i < src.size(); ++i)
        src[i] = static_cast<uint8_t>(i * 7);
    unsigned sum = 0;

    // memcpy: caller buffer -> block buffer, nothing in between.
    auto t0 = Clock::now();
    for (size_t i = 0; i < blocks; ++i) {
        std::memcpy(dst.data(), src.data() + (i % 61) * block, block);
        sum += dst[i % block];
    }
    auto t1 = Clock::now();

    // The ring at its default size, with an odd offset so that puts and gets wrap at the end.
    ptl::RingQueue ring;
    ring.setCapacity(0x40000);
    uint32_t n = 0;
    ring.put(src.data(), 100, &n, 0, 0, 0);
    auto t2 = Clock::now();
    for (size_t i = 0; i < blocks; ++i) {
        ring.put(src.data() + (i % 61) * block, block, &n, 0, 0, 0);
        ring.get(dst.data(), block, &n, nullptr, nullptr, nullptr);
        sum += dst[i % block];
    }
    auto t3 = Clock::now();

    // One memcpy into the next block of a store as large as the ring's.
    const size_t storeBlocks = store.size() / block;
    auto t4 = Clock::now();
    for (size_t i = 0; i < blocks; ++i) {
        std::memcpy(store.data() + (i % storeBlocks) * block, src.data() + (i % 61) * block, block);
        sum += store[(i % storeBlocks) * block + i % block];
    }
    auto t5 = Clock::now();

    const double bytes = static_cast<double>(blocks) * block;
    const double mem = bytes / seconds(t0, t1) / 1e6;
    const double rq = bytes / seconds(t2, t3) / 1e6;
    const double st = bytes / seconds(t4, t5) / 1e6;
    // The sum keeps the copies from being optimised away.
    std::printf("memcpy_mbs=%.0f ring_mbs=%.0f ratio=%.3f store_mbs=%.0f store_ratio=%.3f%s\n", mem, rq,
                rq / mem, st, rq / st, sum == 0xFFFFFFFFu ? " " : "");
    return 0;
}
