// The log file: which lines reach it for each flag combination, its prefix and the data trace.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "api/HandleTable.h"
#include "core/Log.h"
#include "core/Results.h"
#include "ptl/ptl.h"
#include "support/Seam.h"
#include "support/TestUtil.h"

using namespace ptl;

namespace {

// The file is written in text mode: every line ends with CR LF.
std::vector<std::string> lines(const std::string &text) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t nl; (nl = text.find("\r\n", start)) != std::string::npos; start = nl + 2)
        out.push_back(text.substr(start, nl - start));
    if (start < text.size())
        out.push_back("unterminated: " + text.substr(start));
    return out;
}

// A short run of calls on a DUMP port with the given flags, appended to a file that ends without a line
// end: seventeen bytes, nothing, then a send on no handle that must trace no count it never set. Returns
// the file's lines.
std::vector<std::string> runLogged(uint32_t flags, const std::string &name, int *handle = nullptr) {
    const std::string path = test::tempPath(name);
    test::writeFile(path, "earlier text without newline");
    test::LogSettings settings(flags, path);
    test::CaptureConsole quiet;
    EXPECT_EQ(PtlStartup(nullptr), 0);
    int h = PtlOpenByName("DUMP", 0);
    EXPECT_EQ(PtlClaim(h, 0), 0);
    int w = 0;
    PtlSend(h, "0123456789ABCDEFG", 17, &w, 0, 0, 0);
    PtlSend(h, "x", 0, &w, 0, 0, 0);
    w = 33;
    PtlSend(-1, "0123456789ABCDEFG", 16, &w, 0, 0, 0);
    PtlClose(h);
    PtlCleanup();
    if (handle)
        *handle = h;
    return lines(test::readFile(path));
}

} // namespace

TEST(Log, NoFlagsNoFile) {
    const std::string path = test::tempPath("nolog.log");
    DeleteFileA(path.c_str());
    test::LogSettings settings(0, path);
    EXPECT_EQ(PtlStartup(nullptr), 0);
    EXPECT_FALSE(logIsOpen()); // not even the default file
    PtlCleanup();
    EXPECT_FALSE(test::fileExists(path));
}

TEST(Log, CallsAndTrace) {
    int h = 0;
    auto l = runLogged(0x32, "both.log", &h);
    char H[16];
    snprintf(H, sizeof H, "%08X", static_cast<unsigned>(h));
    ASSERT_EQ(l.size(), 12u);
    EXPECT_EQ(l[0], "earlier text without newline"); // appended, on a fresh line
    EXPECT_EQ(l[5], H + std::string(" <PtlClaim 0"));
    EXPECT_EQ(l[6], H + std::string(" > 30 31 32 33 34 35 36 37 38 39 41 42 43 44 45 46"));
    EXPECT_EQ(l[7], H + std::string(" > 47"));
    EXPECT_EQ(l[8], H + std::string(" >PtlClose"));
}

// Trace only: sixteen bytes to a line, no call lines; nothing for a send that took no bytes or had no port.
TEST(Log, TraceOnly) {
    EXPECT_EQ(runLogged(0x20, "trace.log"),
              (std::vector<std::string>{"earlier text without newline",
                                        "> 30 31 32 33 34 35 36 37 38 39 41 42 43 44 45 46", "> 47"}));
}

// A threaded port that is not claimed takes nothing: the count says 0 whatever the caller preset, and the
// trace reads none of the caller's memory.
TEST(Log, FailedThreadedSendReportsNothingTakenAndTracesNothing) {
    const std::string path = test::tempPath("failed_send.log");
    DeleteFileA(path.c_str());
    test::LogSettings settings(0x32, path);
    ASSERT_EQ(PtlStartup(nullptr), 0);
    for (const char *target : {"COM5", "LPT2", "VQNET@127.0.0.5"}) {
        int h = PtlOpenByName(target, 1);
        ASSERT_NE(h, -1) << target;
        int written = 4096;
        EXPECT_EQ(PtlSend(h, "1234567", 7, &written, 0, 0, 0), kWriteFailed) << target;
        EXPECT_EQ(written, 0) << target;
        PtlClose(h);
    }
    PtlCleanup();
    EXPECT_EQ(test::readFile(path).find("> "), std::string::npos) << test::readFile(path);
}

TEST(Log, DefaultPathIsWindowsDirectory) {
    char dir[MAX_PATH];
    GetWindowsDirectoryA(dir, sizeof dir);
    const std::string path = std::string(dir) + "\\LIBPTL.LOG";
    DeleteFileA(path.c_str());
    {
        test::LogSettings settings(0x10, "");
        EXPECT_EQ(PtlStartup(nullptr), 0);
        PtlVersion();
        PtlCleanup();
    }
    auto l = lines(test::readFile(path));
    DeleteFileA(path.c_str());
    ASSERT_GE(l.size(), 4u);
    EXPECT_EQ(l[2], ">PtlVersion");
    EXPECT_EQ(l[3], "<PtlVersion 20100610");
}

TEST(Log, DebugLinesAreWholeAndBounded) {
    test::Seam seam;
    seam.captureDebug();
    std::string exact(1023, 'x');
    debugLine("%s", exact.c_str());
    std::string tooLong(1024, 'y');
    debugLine("%s", tooLong.c_str());
    auto got = seam.debugLines();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0], exact);
}

TEST(Log, DebugLinesFromManyThreadsNeverMix) {
    test::Seam seam;
    seam.captureDebug();
    constexpr int kThreads = 8, kLines = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < kLines; ++i)
                debugLine("PTL: thread %d line %d %s\n", t, i, "padding-padding");
        });
    for (auto &th : threads)
        th.join();
    auto got = seam.debugLines();
    ASSERT_EQ(got.size(), static_cast<size_t>(kThreads * kLines));
    std::regex whole(R"(PTL: thread \d line \d+ padding-padding\n)");
    for (const auto &l : got)
        ASSERT_TRUE(std::regex_match(l, whole)) << l;
}
