// The root port's waitSendEmpty, on a simulated clock.
#include <gtest/gtest.h>

#include <vector>

#include "core/Results.h"
#include "port/WPort.h"
#include "support/Seam.h"
#include "support/TestUtil.h"

using namespace ptl;

namespace {

// The smallest concrete port, whose send count answers from a list (the last answer repeats).
class CountingPort : public WPort {
public:
    std::vector<int> counts;
    size_t asked = 0;
    int getIFType() override { return 0x99; }
    int getIOMode() override { return 0; }
    const char *getIFName() override { return "BARE"; }
    int claim(int) override { return 0; }
    int send(const void *, int, int *, int, int, int) override { return 0; }
    int recv(void *, int, int *, int) override { return 0; }
    DeviceHandle getHandle() override { return kNoHandle; }
    bool isClaimed() override { return false; }
    bool isReady() override { return true; }
    int getSendCount(int *n) override {
        *n = counts[asked < counts.size() ? asked : counts.size() - 1];
        ++asked;
        return 0;
    }
};

// The wait sleeps 50 ms between looks and gives up when the count stood still longer than the limit.
TEST(PortDefaults, WaitSendEmptyLimitsTimeWithoutProgress) {
    auto repeat = [](int value, size_t n) {
        std::vector<int> v(n, value);
        v.push_back(0);
        return v;
    };
    std::vector<int> shrinking;
    for (int n = 1000; n >= 0; n -= 10)
        shrinking.push_back(n);
    struct Case {
        std::vector<int> counts;
        int limit, result;
        size_t sleeps;
    } cases[] = {
        {{10}, 100, kTimeout, 4},  // remembered, then +50 three times: 150 is the first above 100
        {{10}, 0, kOk, 0},         // no limit: no wait at all
        {shrinking, 60, kOk, 100}, // moving: waited for as long as it takes
        {{40, 40, 40, 30, 30, 30, 20, 20, 20, 0}, 100, kOk, 9},    // each stall shorter than the limit
        {repeat(7, 5000), -1, kOk, 5000},                          // all ones: never expires
        {repeat(5, 200), static_cast<int>(0x80000000u), kOk, 200}, // a long limit compared unsigned
    };
    for (const Case &c : cases) {
        test::Seam seam;
        std::vector<DWORD> sleeps;
        seam.on<&os::Api::Sleep>([&](DWORD ms) { sleeps.push_back(ms); });
        CountingPort p;
        p.counts = c.counts;
        EXPECT_EQ(p.waitSendEmpty(c.limit), c.result) << c.limit;
        EXPECT_EQ(sleeps, std::vector<DWORD>(c.sleeps, 50)) << c.limit;
    }
}

} // namespace
