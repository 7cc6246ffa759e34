// The library's log file as a run of rawpush writes it, with the settings in the registry this test
// process shares with the child. The file is opened by PtlStartup and closed by PtlCleanup, so the lines
// of PtlVersion and PtlStartup's entry never reach it, and PtlCleanup's result line does.
#include <windows.h>

#include <regex>

#include "SenderRun.h"

namespace rawpush_e2e {
namespace {

using LogE2e = Rawpush;

// The file is opened in text mode, so its lines end in CRLF like the console's.
std::string logPath(const std::string &name) {
    std::string path = ptl::test::tempPath(name);
    DeleteFileA(path.c_str());
    return path;
}

// The value after "<PtlOpenByName " (the handle in upper-case hex), or "" when absent.
std::string handleIn(const std::string &log) {
    static const std::regex open("<PtlOpenByName ([0-9A-F]{8})\r\n");
    std::smatch m;
    return std::regex_search(log, m, open) ? m[1].str() : std::string();
}

// Call lines of a whole run to DUMP or CON with flags 0x10: no prefix, only the marker.
std::string callLinesOfRun(const std::string &target, const std::string &handle,
                           const std::string &afterForce) {
    return crlf("\n"
                "<PtlStartup 0\n"
                ">PtlOpenByName name='" +
                target +
                "'\n"
                "<PtlOpenByName " +
                handle +
                "\n"
                ">PtlGetIFType\n"
                "<PtlGetIFType 00000001\n" // the sender's look at the kind
                ">PtlGetIFType\n"
                "<PtlGetIFType 00000001\n" // PtlPrintSettings' own look
                ">PtlClaim dwTimeout=0\n"
                "<PtlClaim 0\n"
                ">PtlDocStart p1=00000000 p2=00000000\n"
                "<PtlDocStart -1\n"
                ">PtlPageStart p1=00000000 p2=00000000\n"
                "<PtlPageStart -1\n"
                ">PtlForce f=0\n"
                "<PtlForce -1\n") +
           afterForce +
           crlf(">PtlPageEnd\n"
                "<PtlPageEnd -1\n"
                ">PtlDocEnd\n"
                "<PtlDocEnd -1\n"
                ">PtlRelease dwTimeout=5000\n"
                "<PtlRelease 0\n"
                ">PtlClose\n"
                "<PtlClose 0\n"
                ">PtlCleanup\n"
                "<PtlCleanup 0\n");
}

// Trace lines of count bytes of pattern(count, first), sixteen to a line, each with prefix.
std::string traceLines(size_t count, unsigned first, const std::string &prefix = "") {
    const std::string bytes = pattern(count, first);
    std::string s;
    char hex[4];
    for (size_t i = 0; i < count; ++i) {
        if (i % 16 == 0)
            s += prefix + ">";
        snprintf(hex, sizeof hex, " %02X", static_cast<unsigned char>(bytes[i]));
        s += hex;
        if (i % 16 == 15 || i + 1 == count)
            s += "\r\n";
    }
    return s;
}

TEST_F(LogE2e, NoFlagsNoFile) {
    const std::string log = logPath("off.log");
    ptl::test::LogSettings settings(0, log);
    ProcessResult r = runRawpush({jobFile("off.bin", "x"), "DUMP"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_FALSE(ptl::test::fileExists(log));
}

TEST_F(LogE2e, CallLinesOfADumpRun) {
    const std::string log = logPath("calls.log");
    ptl::test::LogSettings settings(0x10, log);
    ProcessResult r = runRawpush({jobFile("calls.bin", pattern(40)), "DUMP"});
    EXPECT_EQ(r.exitCode, 0);
    const std::string text = ptl::test::readFile(log);
    const std::string handle = handleIn(text);
    ASSERT_EQ(handle.size(), 8u) << text;
    EXPECT_NE(handle, "FFFFFFFF");
    // PtlSend writes no call lines, and with 0x20 clear no trace.
    EXPECT_EQ(text, callLinesOfRun("DUMP", handle, ""));
}

// Each start appends: a fresh newline and the lines of the second run after those of the first.
TEST_F(LogE2e, SecondRunAppends) {
    const std::string log = logPath("append.log");
    ptl::test::LogSettings settings(0x10, log);
    const std::string job = jobFile("append.bin", "ab");
    ASSERT_EQ(runRawpush({job, "DUMP"}).exitCode, 0);
    const std::string first = ptl::test::readFile(log);
    ASSERT_EQ(runRawpush({job, "CON"}).exitCode, 3);
    const std::string both = ptl::test::readFile(log);
    ASSERT_EQ(both.substr(0, first.size()), first);
    const std::string second = both.substr(first.size());
    const std::string handle = handleIn(second);
    ASSERT_EQ(handle.size(), 8u) << second;
    // The console refuses the write (1101): the send itself has no call lines, the rest follows.
    EXPECT_EQ(second, callLinesOfRun("CON", handle, ""));
}

// The failure paths end early and still close and clean up.
TEST_F(LogE2e, CallLinesOfFailedRuns) {
    const std::string log = logPath("failed.log");
    ptl::test::LogSettings settings(0x10, log);
    const std::string job = jobFile("failed.bin", "x");

    ProcessResult r = runRawpush({job, "IBMDLL"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(ptl::test::readFile(log), crlf("\n"
                                             "<PtlStartup 0\n"
                                             ">PtlOpenByName name='IBMDLL'\n"
                                             "<PtlOpenByName FFFFFFFF\n"
                                             ">PtlCleanup\n"
                                             "<PtlCleanup 0\n"));
    DeleteFileA(log.c_str());

    const std::string target = ptl::test::tempPath("no_such_dir\\x.prn");
    r = runRawpush({job, target});
    EXPECT_EQ(r.exitCode, 1);
    const std::string text = ptl::test::readFile(log);
    const std::string handle = handleIn(text);
    ASSERT_EQ(handle.size(), 8u) << text;
    EXPECT_EQ(text, crlf("\n"
                         "<PtlStartup 0\n"
                         ">PtlOpenByName name='" +
                         target +
                         "'\n"
                         "<PtlOpenByName " +
                         handle +
                         "\n"
                         ">PtlGetIFType\n"
                         "<PtlGetIFType 00000003\n"
                         ">PtlGetIFType\n"
                         "<PtlGetIFType 00000003\n"
                         ">PtlClaim dwTimeout=0\n"
                         "<PtlClaim 1014\n"
                         ">PtlClose\n"
                         "<PtlClose 0\n"
                         ">PtlCleanup\n"
                         "<PtlCleanup 0\n"));
}

// Time stamp and handle on every line: "MMDD HHMMSS.mmm %08X " before the marker; the handle is 0 for the
// calls without one and the port's for the others.
TEST_F(LogE2e, TimeAndHandlePrefix) {
    const std::string log = logPath("prefix.log");
    ptl::test::LogSettings settings(0x13, log);
    SYSTEMTIME before, after;
    GetLocalTime(&before);
    ProcessResult r = runRawpush({jobFile("prefix.bin", "xyz"), "DUMP"});
    GetLocalTime(&after);
    EXPECT_EQ(r.exitCode, 0);
    const std::string text = ptl::test::readFile(log);
    ASSERT_EQ(text.substr(0, 2), "\r\n");
    const std::string handle = handleIn(text);
    ASSERT_EQ(handle.size(), 8u) << text;

    // The same lines as without the prefix, in the same order.
    std::string stripped = "\r\n";
    static const std::regex line("((0[1-9]|1[0-2])(0[1-9]|[12][0-9]|3[01]) "
                                 "([01][0-9]|2[0-3])[0-5][0-9][0-5][0-9]\\.[0-9]{3}) "
                                 "([0-9A-F]{8}) ([<>][^\r\n]*)\r\n");
    const std::regex_iterator<std::string::const_iterator> end;
    size_t covered = 2, count = 0; // text before the iterator's start

    for (auto it = std::sregex_iterator(text.begin() + 2, text.end(), line); it != end; ++it) {
        const std::smatch &m = *it;
        ASSERT_EQ(static_cast<size_t>(m.position(0)) + 2, covered) << "unexpected text before: " << m.str(0);
        covered += m.length(0);
        ++count;
        const std::string call = m[6].str();
        const bool withoutHandle = call.find("PtlStartup") != std::string::npos ||
                                   call.find("PtlOpenByName") != std::string::npos ||
                                   call.find("PtlCleanup") != std::string::npos;
        EXPECT_EQ(m[5].str(), withoutHandle ? "00000000" : handle) << m.str(0);
        if (before.wDay == after.wDay) {
            char day[8];
            snprintf(day, sizeof day, "%02d%02d", before.wMonth, before.wDay);
            EXPECT_EQ(m[1].str().substr(0, 4), day) << m.str(0);
        }
        stripped += call + "\r\n";
    }
    EXPECT_EQ(covered, text.size()) << text;
    EXPECT_EQ(count, 25u);
    EXPECT_EQ(stripped, callLinesOfRun("DUMP", handle, ""));
}

// 0x20 alone: trace lines only, sixteen bytes to a line, the last one with the rest.
TEST_F(LogE2e, DataTraceOnly) {
    const std::string log = logPath("trace.log");
    ptl::test::LogSettings settings(0x20, log);
    for (size_t size : {15u, 16u, 17u, 40u}) {
        SCOPED_TRACE(size);
        DeleteFileA(log.c_str());
        ProcessResult r = runRawpush({jobFile("trace.bin", pattern(size, 0xF8)), "DUMP"});
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(ptl::test::readFile(log), "\r\n" + traceLines(size, 0xF8));
    }
    EXPECT_EQ(traceLines(17, 0), "> 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F\r\n> 10\r\n");
}

// Each send is traced on its own: a job of 4097 bytes gives 256 full lines and one line of one byte.
TEST_F(LogE2e, DataTraceFollowsTheBlocks) {
    const std::string log = logPath("trace_blocks.log");
    ptl::test::LogSettings settings(0x20, log);
    const std::string target = ptl::test::tempPath("trace_blocks.prn");
    ProcessResult r = runRawpush({jobFile("trace_blocks.bin", pattern(4097, 3)), target});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(ptl::test::readFile(log), "\r\n" + traceLines(4096, 3) + traceLines(1, 3 + 4096));
}

// Nothing is traced for a send that took no bytes.
TEST_F(LogE2e, FailedSendIsNotTraced) {
    const std::string log = logPath("trace_failed.log");
    ptl::test::LogSettings settings(0x20, log);
    ProcessResult r = runRawpush({jobFile("trace_failed.bin", "abc"), "CON"});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(ptl::test::readFile(log), "\r\n");
}

// Call lines and trace together: the trace stands between PtlForce and PtlPageEnd.
TEST_F(LogE2e, CallLinesAndTrace) {
    const std::string log = logPath("both.log");
    ptl::test::LogSettings settings(0x30, log);
    ProcessResult r = runRawpush({jobFile("both.bin", pattern(20, 0x30)), "DUMP"});
    EXPECT_EQ(r.exitCode, 0);
    const std::string text = ptl::test::readFile(log);
    const std::string handle = handleIn(text);
    ASSERT_EQ(handle.size(), 8u) << text;
    EXPECT_EQ(text, callLinesOfRun("DUMP", handle, traceLines(20, 0x30)));
}

// The handle prefix also stands on trace lines: the sending call's handle.
TEST_F(LogE2e, TraceLinesCarryTheHandle) {
    const std::string log = logPath("trace_handle.log");
    ptl::test::LogSettings settings(0x32, log);
    ProcessResult r = runRawpush({jobFile("trace_handle.bin", pattern(18, 0x60)), "DUMP"});
    EXPECT_EQ(r.exitCode, 0);
    const std::string text = ptl::test::readFile(log);
    const std::string handle = handleIn(text);
    ASSERT_EQ(handle.size(), 8u) << text;
    const std::string trace = traceLines(18, 0x60, handle + " ");
    const std::string expected = handle + " <PtlForce -1\r\n" + trace + handle + " >PtlPageEnd\r\n";
    EXPECT_NE(text.find(expected), std::string::npos) << text;
}

// Without "LogPath" the file is LIBPTL.LOG in the Windows folder.
TEST_F(LogE2e, DefaultPathIsInTheWindowsFolder) {
    char windows[MAX_PATH];
    ASSERT_NE(GetWindowsDirectoryA(windows, sizeof windows), 0u);
    const std::string log = std::string(windows) + "\\LIBPTL.LOG";
    DeleteFileA(log.c_str());
    {
        ptl::test::LogSettings settings(0x10, "");
        ProcessResult r = runRawpush({jobFile("default_path.bin", "d"), "DUMP"});
        EXPECT_EQ(r.exitCode, 0);
    }
    const std::string text = ptl::test::readFile(log);
    DeleteFileA(log.c_str());
    const std::string handle = handleIn(text);
    ASSERT_EQ(handle.size(), 8u) << text;
    EXPECT_EQ(text, callLinesOfRun("DUMP", handle, ""));
}

// A "LogPath" in a folder that does not exist: the start fails and the run ends with 1.
TEST_F(LogE2e, LogPathInMissingFolder) {
    const std::string missing = ptl::test::tempPath("no_such_folder");
    ptl::test::LogSettings settings(0x30, missing + "\\ptl.log");
    ProcessResult r = runRawpush({jobFile("missing_folder.bin", "m"), "DUMP"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(afterBanner(r.err), "PtlStartup()\r\n");
    EXPECT_FALSE(ptl::test::fileExists(missing));
}

} // namespace
} // namespace rawpush_e2e
