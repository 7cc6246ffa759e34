// Soak: 1 GiB through `rawpush -a` to the simulator while its reader stalls now and then; what arrives is
// compared with what was sent by size and hash. Too long for the tests (RawpushNet keeps a shorter stalled
// threaded stream whole); bench/run.sh runs it.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "support/NetSim.h"
#include "support/Process.h"
#include "support/TestUtil.h"

namespace {

using namespace ptl::test;

constexpr uint64_t kSoakBytes = 1ull << 30;

// Writes kSoakBytes of pseudo-random data in 4 MiB pieces; returns their hash (0 on a write failure).
uint64_t writeSoakFile(const std::string &path) {
    HANDLE f =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return 0;
    std::vector<uint32_t> piece((4u << 20) / 4);
    uint64_t h = 0xcbf29ce484222325ull;
    uint32_t x = 0x9E3779B9u;
    bool ok = true;
    for (uint64_t done = 0; ok && done < kSoakBytes; done += piece.size() * 4) {
        for (uint32_t &w : piece) {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            w = x;
        }
        h = fnv1a64(piece.data(), piece.size() * 4, h);
        DWORD n = 0;
        ok = WriteFile(f, piece.data(), static_cast<DWORD>(piece.size() * 4), &n, nullptr) &&
             n == piece.size() * 4;
    }
    CloseHandle(f);
    return ok ? h : 0;
}

TEST(NetSoak, OneGibibyteThroughTheThreadedPortWithAStallingReader) {
    clearLogSettings();
    const std::string path = tempPath("soak.bin");
    const uint64_t hash = writeSoakFile(path);
    ASSERT_NE(hash, 0u);
    // A pause of 300 ms every 64 MiB, reading 64 KiB at a time.
    NetSim sim("127.12.0.2", {"--discard", "--stall-every", "67108864", "--stall-ms", "300"});
    ASSERT_TRUE(sim.ready()) << sim.out();
    ProcessResult r = runRawpush({"-a", path, "VQNET@127.12.0.2"}, 400000);
    DeleteFileA(path.c_str());
    EXPECT_EQ(r.exitCode, 0) << r.out;
    const std::string line = sim.waitJob(1, 30000);
    EXPECT_NE(line.find(std::to_string(kSoakBytes) + " bytes fnv1a64 " + hex16(hash) + " complete"),
              std::string::npos)
        << line << "\n"
        << sim.out();
}

} // namespace
