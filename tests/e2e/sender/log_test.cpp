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

// Call lines of a run with flags 0x10 (no prefix, only the marker) up to the claim's result: the sender's
// look at the kind, then PtlPrintSettings' own.
std::string callLinesToClaim(const std::string &target, const std::string &handle, const char *type,
                             const char *claim) {
    return crlf("\n<PtlStartup 0\n>PtlOpenByName name='" + target + "'\n<PtlOpenByName " + handle + "\n" +
                ">PtlGetIFType\n<PtlGetIFType " + type + "\n>PtlGetIFType\n<PtlGetIFType " + type +
                "\n>PtlClaim dwTimeout=0\n<PtlClaim " + claim + "\n");
}

// Call lines of a whole run to DUMP with flags 0x10: each call and its result.
std::string callLinesOfRun(const std::string &handle) {
    const std::string rest = ">PtlDocStart p1=00000000 p2=00000000\n<PtlDocStart -1\n"
                             ">PtlPageStart p1=00000000 p2=00000000\n<PtlPageStart -1\n"
                             ">PtlForce f=0\n<PtlForce -1\n"
                             ">PtlPageEnd\n<PtlPageEnd -1\n"
                             ">PtlDocEnd\n<PtlDocEnd -1\n"
                             ">PtlRelease dwTimeout=5000\n<PtlRelease 0\n"
                             ">PtlClose\n<PtlClose 0\n"
                             ">PtlCleanup\n<PtlCleanup 0\n";
    return callLinesToClaim("DUMP", handle, "00000001", "0") + crlf(rest);
}

// The failure paths end early and still close and clean up.
TEST_F(LogE2e, CallLinesOfFailedRuns) {
    const std::string log = logPath("failed.log");
    ptl::test::LogSettings settings(0x10, log);
    const std::string job = jobFile("failed.bin", "x");

    ProcessResult r = runRawpush({job, "VQNET@999.1.1.1"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(ptl::test::readFile(log), crlf("\n"
                                             "<PtlStartup 0\n"
                                             ">PtlOpenByName name='VQNET@999.1.1.1'\n"
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
    EXPECT_EQ(text, callLinesToClaim(target, handle, "00000003", "1014") +
                        crlf(">PtlClose\n<PtlClose 0\n>PtlCleanup\n<PtlCleanup 0\n"));
}

// Time stamp and handle on every line (PtlSend writes no call lines, and with 0x20 clear no trace): "MMDD
// HHMMSS.mmm %08X " before the marker; the handle is 0 for the calls without one and the port's for the
// others. Without the prefixes the lines are those of 0x10.
TEST_F(LogE2e, TimeAndHandlePrefix) {
    const std::string log = logPath("prefix.log");
    ptl::test::LogSettings settings(0x13, log);
    EXPECT_EQ(runRawpush({jobFile("prefix.bin", "xyz"), "DUMP"}).exitCode, 0);
    const std::string text = ptl::test::readFile(log);
    const std::string handle = handleIn(text);
    ASSERT_EQ(handle.size(), 8u) << text;
    ASSERT_EQ(text.substr(0, 2), "\r\n");
    static const std::regex line(
        "(0[1-9]|1[0-2])(0[1-9]|[12][0-9]|3[01]) ([01][0-9]|2[0-3])[0-5][0-9][0-5][0-9]"
        "\\.[0-9]{3} ([0-9A-F]{8}) ([<>][^\r\n]*)");
    std::string stripped;
    size_t start = 2;
    for (size_t eol; (eol = text.find("\r\n", start)) != std::string::npos; start = eol + 2) {
        std::smatch m;
        const std::string l = text.substr(start, eol - start);
        ASSERT_TRUE(std::regex_match(l, m, line)) << l;
        const bool withoutHandle = l.find("PtlStartup") != std::string::npos ||
                                   l.find("PtlOpenByName") != std::string::npos ||
                                   l.find("PtlCleanup") != std::string::npos;
        EXPECT_EQ(m[4].str(), withoutHandle ? "00000000" : handle) << l;
        stripped += m[5].str() + "\r\n";
    }
    EXPECT_EQ(start, text.size()) << text;
    EXPECT_EQ("\r\n" + stripped, callLinesOfRun(handle));
}

} // namespace
} // namespace rawpush_e2e
