// The public functions over the handle table and the device-less ports.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "api/Factory.h"
#include "api/HandleTable.h"
#include "core/Results.h"
#include "ptl/ptl.h"
#include "support/Seam.h"
#include "support/TestUtil.h"

using namespace ptl;

namespace {
int gValue = 5;
// Document, page, force and the serial settings: what a handle that has none of them answers.
const std::function<int(int)> kOps[] = {
    [](int h) { return PtlDocStart(h, 0, 0); },    [](int h) { return PtlDocEnd(h); },
    [](int h) { return PtlPageStart(h, 0, 0); },   [](int h) { return PtlPageEnd(h); },
    [](int h) { return PtlForce(h, 1); },          [](int h) { return PtlGetPortNo(h, &gValue); },
    [](int h) { return PtlSetBaudRate(h, 9600); }, [](int h) { return PtlGetBaudRate(h, &gValue); },
    [](int h) { return PtlSetByteSize(h, 8); },    [](int h) { return PtlGetByteSize(h, &gValue); },
    [](int h) { return PtlSetParity(h, 0); },      [](int h) { return PtlGetParity(h, &gValue); },
    [](int h) { return PtlSetStopBits(h, 0); },    [](int h) { return PtlGetStopBits(h, &gValue); },
    [](int h) { return PtlSetFlow(h, 0); },        [](int h) { return PtlGetFlow(h, &gValue); }};
} // namespace

TEST(Api, CloseTwiceAndUnknownHandles) {
    int before = portCount();
    int h = PtlOpenByName("DUMP", 0);
    ASSERT_NE(h, -1);
    EXPECT_EQ(portCount(), before + 1);
    EXPECT_EQ(PtlClose(h), 0);
    EXPECT_EQ(PtlClose(h), kInvalidHandle);
    EXPECT_EQ(portCount(), before);

    EXPECT_EQ(PtlGetIFType(-1), 3);
    EXPECT_STREQ(PtlGetIFName(-1), "");
    EXPECT_EQ(PtlClaim(-1, 0), kInvalidHandle);
    EXPECT_EQ(PtlRelease(-1, 0), kInvalidHandle);
    gValue = 5;
    for (size_t i = 0; i < std::size(kOps); ++i)
        EXPECT_EQ(kOps[i](-1), kInvalidHandle) << "operation " << i;
    EXPECT_EQ(gValue, 5); // untouched
    // An unknown handle leaves the count as the caller set it.
    int written = 77;
    EXPECT_EQ(PtlSend(-1, "x", 1, &written, 0, 0, 0), kInvalidHandle);
    EXPECT_EQ(written, 77);
    EXPECT_EQ(PtlCommParams(-1, 9600, -1, -1, -1, -1), kInvalidHandle);
    EXPECT_EQ(PtlCommParams(-1, -1, -1, -1, -1, -1), 0); // no setter is called
}

// A kind that lacks an operation answers "not supported" (-1) and leaves nothing half-done.
TEST(Api, OperationsAKindLacksAnswerNotSupported) {
    const std::string file = test::tempPath("defaults.prn");
    for (const char *target : {"CON", "DUMP", file.c_str()}) {
        const int h = PtlOpenByName(target, 0);
        ASSERT_NE(h, -1) << target;
        for (size_t i = 0; i < std::size(kOps); ++i)
            EXPECT_EQ(kOps[i](h), kNotSupported) << target << " operation " << i;
        EXPECT_EQ(PtlGetPortNo(h, &gValue), kNotSupported);
        EXPECT_EQ(gValue, -1) << target; // "no port number", not a stale value
        // The serial settings a kind does not have neither stop nor fail the whole set.
        EXPECT_EQ(PtlCommParams(h, 9600, 8, 0, 0, 2), 0) << target;
        EXPECT_EQ(PtlClose(h), 0);
    }
}

TEST(Api, HandlesAreDistinctAndNeverMinusOne) {
    int a = PtlOpenByName("CON", 0);
    int b = PtlOpenByName("CON", 0);
    int c = PtlOpenByName("DUMP", 7); // "same" rows ignore the mode
    EXPECT_TRUE(a != -1 && b != -1 && c != -1 && a != b && b != c && a != c) << a << " " << b << " " << c;
    EXPECT_STREQ(PtlGetIFName(c), "DUMP");
    EXPECT_EQ(PtlGetIFType(c), 1);
    for (int h : {a, b, c})
        EXPECT_EQ(PtlClose(h), 0);
}

TEST(Api, FactoryRefusesUnknownTypesAndModes) {
    int before = portCount();
    EXPECT_EQ(newPort(0x7777, 0), nullptr);
    EXPECT_EQ(newPort(static_cast<int>(0x80000017u) ^ 0x100, 0), nullptr);
    EXPECT_EQ(portCount(), before);
    auto file = newPort(3, -5); // a file port takes any mode
    ASSERT_NE(file, nullptr);
    int h = addPort(std::move(file));
    EXPECT_STREQ(PtlGetIFName(h), "FILE");
    EXPECT_EQ(PtlClose(h), 0);
}

TEST(Api, CloseDestroysAClaimedPortAndReleasesIt) {
    const std::string path = test::tempPath("api_close.prn");
    int open = os::openTotal();
    int h = PtlOpenByName(path.c_str(), 0);
    ASSERT_EQ(PtlClaim(h, 0), 0);
    EXPECT_EQ(os::openTotal(), open + 1);
    EXPECT_EQ(PtlClose(h), 0);
    EXPECT_EQ(os::openTotal(), open);
    // The file is closed: it can be opened exclusively again.
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(f, INVALID_HANDLE_VALUE);
    CloseHandle(f);
}
