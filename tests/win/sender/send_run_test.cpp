// The send run in-process, with the system calls it makes simulated where the case needs it.
#include <gtest/gtest.h>

#include <io.h>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

#include "sender/Sender.h"
#include "sim/SimComm.h"
#include "support/Seam.h"
#include "support/TestUtil.h"

using namespace ptl;

namespace {

struct Result {
    int code;
    std::string out, err;
};

HANDLE systemHandle(test::MemStream &s) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(s.get())));
}

const std::string kBanner =
    "Raw push version 0.80(20100610) by tavo\nSends a file unchanged to a printer port.\n";
const std::string kSeparator = std::string(56, '-') + "\n";

// Progress figures printed to the error stream, in order.
std::vector<int> progress(const std::string &err) {
    std::vector<int> out;
    std::regex figure(R"(([ \d]{2}\d)%\r)");
    for (std::sregex_iterator it(err.begin(), err.end(), figure), end; it != end; ++it)
        out.push_back(std::stoi((*it)[1]));
    return out;
}

class SendRun : public ::testing::Test {
protected:
    void SetUp() override { test::clearLogSettings(); }
    // The progress goes to the error stream's own system handle; writes to it are not the job's.
    Result run(std::vector<std::string> args) {
        args.insert(args.begin(), "rawpush");
        std::vector<const char *> argv;
        for (auto &a : args)
            argv.push_back(a.c_str());
        test::MemStream out;
        Result r;
        r.code = rawpush::run(static_cast<int>(argv.size()), argv.data(), out.get(), err.get());
        r.out = out.text();
        r.err = err.text().substr(errSeen);
        errSeen += r.err.size();
        return r;
    }
    test::MemStream err;
    size_t errSeen = 0;
    const HANDLE errHandle = systemHandle(err);
};

} // namespace

// A port that takes nothing (a full queue, no failure) is retried at a growing pace, not in a spin; one
// that takes part of a block gets the rest before the next read.
TEST_F(SendRun, RefusedAndShortWritesFinishTheBlockBeforeTheNextRead) {
    const std::string data = test::testBytes(10000);
    std::string src = test::jobFile("short_src.bin", data), dst = test::tempPath("short_dst.bin");
    test::Seam seam;
    std::string calls;
    int refusals = 6;
    std::vector<DWORD> sleeps;
    seam.on<&os::Api::ReadFile>([&](HANDLE h, LPVOID b, DWORD n, LPDWORD got, LPOVERLAPPED o) -> BOOL {
        calls += 'R';
        return seam.original<&os::Api::ReadFile>()(h, b, n, got, o);
    });
    seam.on<&os::Api::WriteFile>([&](HANDLE h, LPCVOID b, DWORD n, LPDWORD w, LPOVERLAPPED o) -> BOOL {
        if (h == errHandle)
            return seam.original<&os::Api::WriteFile>()(h, b, n, w, o);
        calls += 'W';
        if (refusals-- > 0) {
            *w = 0; // accepted nothing, no failure: a full queue
            return TRUE;
        }
        return seam.original<&os::Api::WriteFile>()(h, b, n < 1500 ? n : 1500, w, o);
    });
    seam.on<&os::Api::Sleep>([&](DWORD ms) { sleeps.push_back(ms); });
    Result r = run({src, dst});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(test::readFile(dst), data);
    // Six refusals; then 4096 = 1500+1500+1096; 4096 again; 1808 = 1500+308; then the empty read.
    EXPECT_EQ(calls, "RWWWWWWWWWRWWWRWWR");
    EXPECT_EQ(sleeps, (std::vector<DWORD>{0, 1, 2, 4, 8, 16})); // a yield first, then growing pauses
}

// Threaded serial and parallel ports: a device that fails reaches the run at the next send or at the
// release with its system error, and data the release could not deliver fails the run.
TEST_F(SendRun, ThreadedDeviceFailureAndUndeliveredDataEndWithThree) {
    struct Case {
        const char *target, *path;
        bool hold;
        const char *line;
    };
    for (const Case &c : {Case{"COM3", "\\\\.\\COM3", true, "PtlRelease() err=1019 dwErr="},
                          Case{"COM3", "\\\\.\\COM3", false, "err=1101 dwErr=21\n"},
                          Case{"LPT1", "\\\\.\\LPT1", false, "err=1101 dwErr=21\n"}}) {
        test::Seam seam;
        // Only the stalled device needs the drain's 5 s to pass quickly; a failing one must be seen at once.
        if (c.hold)
            test::fastClock(seam, 1000);
        test::SimComm dev(seam, c.path);
        dev.holdWrites(c.hold);
        for (int i = 1; !c.hold && i <= 500; ++i)
            dev.failNth("WriteFile", i, ERROR_NOT_READY);
        Result r = run({"-a", test::jobFile("device.bin", test::testBytes(5000)), c.target});
        EXPECT_EQ(r.code, 3) << c.target << r.out;
        EXPECT_NE(r.out.find(c.line), std::string::npos) << c.target << r.out;
    }
}

// A printer address with a typing error is refused: no file of that name takes the job. (Which texts are
// mistyped: the native Target tests.)
TEST_F(SendRun, MistypedPrinterAddressIsRefused) {
    const std::string target = "VQNET9101@127.0.0.5junk";
    Result r = run({test::jobFile("typo.bin", "t"), target});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("\aPtlOpenByName <" + target + ">\nNot a printer address: <127.0.0.5junk>\n"),
              std::string::npos)
        << r.err;
    EXPECT_FALSE(test::fileExists(target));
}

TEST_F(SendRun, ReadFailureEndsWithTwoAfterClosingTheBrackets) {
    std::string src = test::jobFile("readfail.bin", std::string(5000, 'r')),
                dst = test::tempPath("readfail_out.bin");
    test::Seam seam;
    seam.failNth<&os::Api::ReadFile>(2, FALSE, ERROR_READ_FAULT);
    int open = os::openTotal();
    Result r = run({src, dst});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err.substr(0, kBanner.size()), kBanner);
    EXPECT_TRUE(
        std::regex_match(r.out, std::regex(kSeparator + kSeparator + R"(Total Time = \d+\.\d{3} sec\n)")));
    EXPECT_EQ(test::readFile(dst), std::string(4096, 'r'));
    EXPECT_EQ(os::openTotal(), open);
}

TEST_F(SendRun, TickCounterWrapStillGivesTheDuration) {
    std::string src = test::jobFile("wrap.bin", "w");
    test::Seam seam;
    std::vector<DWORD> ticks = {0xFFFFFF00u, 0x00000100u};
    size_t next = 0;
    seam.on<&os::Api::GetTickCount>([&]() -> DWORD { return ticks[next < 1 ? next++ : 1]; });
    Result r = run({src, test::tempPath("wrap_out.bin")});
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("Total Time = 0.512 sec\n"), std::string::npos) << r.out;
}

TEST_F(SendRun, WaitAfterTheRunEvenWhenItFailed) {
    test::Seam seam;
    std::vector<DWORD> sleeps;
    seam.on<&os::Api::Sleep>([&](DWORD ms) { sleeps.push_back(ms); });
    Result r = run({"-w3", test::tempPath("no_such_file.bin"), "DUMP"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "Wait 3 seconds\n");
    EXPECT_EQ(sleeps, (std::vector<DWORD>{1000, 1000, 1000}));
    sleeps.clear();
    r = run({"-w-2", test::tempPath("no_such_file.bin"), "DUMP"});
    EXPECT_EQ(r.out, ""); // a negative wait is no wait
    EXPECT_TRUE(sleeps.empty());
}

// 64 MiB simulated: position x 100 no longer fits 32 bits from about 21 MB on. The file grows by a 32nd
// while it is sent: its first size is 100 %. Every figure from 0 to 100 appears, most of them many times,
// and each new figure is one system write that carries the repeats of the one before it.
TEST_F(SendRun, LargeGrowingFilePercentagesStayInRangeOneSystemWritePerFigure) {
    constexpr LONGLONG kSize = 64LL << 20, kServed = kSize + kSize / 32;
    std::string src = test::jobFile("large.bin", "x");
    test::Seam seam;
    LONGLONG served = 0;
    std::vector<std::string> writes;
    seam.on<&os::Api::GetFileSizeEx>([&](HANDLE, PLARGE_INTEGER s) -> BOOL {
        s->QuadPart = kSize;
        return TRUE;
    });
    seam.on<&os::Api::ReadFile>([&](HANDLE, LPVOID, DWORD n, LPDWORD got, LPOVERLAPPED) -> BOOL {
        *got = static_cast<DWORD>(kServed - served < n ? kServed - served : n);
        served += *got;
        return TRUE;
    });
    seam.on<&os::Api::WriteFile>([&](HANDLE h, LPCVOID b, DWORD n, LPDWORD w, LPOVERLAPPED o) -> BOOL {
        if (h != errHandle) {
            *w = n;
            return TRUE;
        }
        writes.emplace_back(static_cast<const char *>(b), n);
        return seam.original<&os::Api::WriteFile>()(h, b, n, w, o);
    });
    Result r = run({src, test::tempPath("large_out.bin")});
    EXPECT_EQ(r.code, 0);
    auto p = progress(r.err);
    ASSERT_EQ(p.size(), static_cast<size_t>(kServed / 4096 + 1));
    for (size_t i = 1; i < p.size(); ++i)
        ASSERT_LE(p[i - 1], p[i]) << i;
    EXPECT_EQ(p[kSize / 4096 / 2], 50);
    EXPECT_EQ(p.back(), 100);
    ASSERT_EQ(writes.size(), 102u); // one per new figure, then the repeats of 100 at the end
    std::string all;
    for (size_t i = 0; i < writes.size(); ++i) {
        EXPECT_EQ(progress(writes[i]).back(), std::min<int>(static_cast<int>(i), 100)) << i;
        all += writes[i];
    }
    EXPECT_EQ(writes[0], "  0%\r");
    EXPECT_NE(r.err.find(all), std::string::npos);
}
