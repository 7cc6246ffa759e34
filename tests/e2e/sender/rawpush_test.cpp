// rawpush as a user meets it: exit codes and the exact texts on both streams for the command line's
// outcomes and the failure table of the send run, jobs dumped to DUMP, bytes arriving in a file, and the
// library's log file as a run writes it.
#include <windows.h>

#include <regex>

#include "SenderRun.h"

namespace rawpush_e2e {
namespace {

using ptl::test::tempPath;
using RawpushE2e = Rawpush;

// A path of the given length in a folder of this test, made of c after the folder's name. The file port
// holds at most 259 characters.
std::string pathOfLength(size_t length, char c) {
    const std::string folder = tempPath("long_names");
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder + "\\" + std::string(length - folder.size() - 1, c);
}

TEST_F(RawpushE2e, ExitCodesAndTexts) {
    const std::string job = jobFile("job.bin", "job"), empty = jobFile("empty.bin", "");
    const std::string missing = tempPath("missing_job.bin"), folder = tempPath("job_folder");
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string overlong = pathOfLength(260, 'g');
    const std::string wait = "Wait 1 seconds\r\n";
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string out;           // a pattern: the time varies
        std::string err;           // after the banner; "usage": the usage text
        const char *log = nullptr; // logging on to this file, which must not appear
    } cases[] = {
        // No words, one or three words, or -w without a value (not the value of the option before it).
        {{}, 1, "", "usage"},
        {{"job.bin"}, 1, "", "usage"},
        {{"job.bin", "DUMP", "extra"}, 1, "", "usage"},
        {{"-a", "a", "b", "c"}, 1, "", "usage"},
        {{"-d8", "-w"}, 1, "", "usage"},
        // A rejected value ends the program before anything is opened (each letter's values: Options).
        {{"-b", "7", "job.bin", "DUMP"}, 1, "", "Invalid parameter b\r\n"},
        {{"-b96", "-s"}, 1, "", "Invalid parameter s\r\n"},
        // A missing file or a folder cannot be read; the file is opened before the target is looked at. The
        // wait follows the run whatever its result, as long as the library started.
        {{missing, "CON"}, 1, "", "Can't open binary file. <" + missing + ">\r\n"},
        {{"-w1", folder, "DUMP"}, 1, wait, "Can't open binary file. <" + folder + ">\r\n"},
        // An empty job sends nothing and succeeds: the progress is complete without dividing by 0. The wait's
        // value may be the next word, read up to the first other character.
        {{"-w", "1sec", empty, "DUMP"}, 0, kSeparator + kTimeTail + wait, "100%\r"},
        // CON writes with the console call, which fails with ERROR_INVALID_HANDLE (6) when the output is a
        // file: the loop ends at the first block, and page, document and release still run.
        {{"-w1", job, "CON"}, 3, kSeparator + "err=1101 dwErr=6\r\n" + kTimeTail + wait, "  0%\r"},
        // A path the port cannot hold is not claimed, and no separator follows.
        {{"-aw01", job, overlong}, 1, "PtlClaim\\(\\)=Can't claim\\.\r\n" + wait, ""},
        // A log file that cannot be opened makes PtlStartup fail: nothing of the run follows, not even the
        // wait.
        {{"-w1", job, "DUMP"}, 1, "", "PtlStartup()\r\n", "no_such_log_dir\\ptl.log"},
        // -l ends the program at once: nothing after it is read and nothing is opened, not even the library.
        // The listing itself: Spooler.ListingOfTheThreeQueues.
        {{"-b96", "-l", "-x", "-b100"}, 0, "DefaultPrinter=\\[[^\r\n]*\\]\r\n[\\s\\S]*", "", "listing.log"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        std::unique_ptr<ptl::test::LogSettings> log;
        if (c.log != nullptr)
            log = std::make_unique<ptl::test::LogSettings>(0x13, tempPath(c.log));
        ProcessResult r = runRawpush(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_TRUE(std::regex_match(r.out, std::regex(c.out))) << r.out;
        if (c.err == "usage")
            expectUsage(afterBanner(r.err));
        else
            EXPECT_EQ(afterBanner(r.err), c.err);
        EXPECT_TRUE(c.log == nullptr || !ptl::test::fileExists(tempPath(c.log)));
    }
    EXPECT_FALSE(ptl::test::fileExists(overlong.substr(0, 259))); // not written under a shortened name
}

// One line per byte between the two separators; letters outside the option string are reported and the
// run goes on (-v is in the usage text only).
TEST_F(RawpushE2e, BinaryJobIsDumpedLineByLine) {
    const std::string job =
        jobFile("dump_binary.bin", std::string("\x00\x22\x5C\x7F\x80\xFF\x1B\x20\x7E\x1F\x40\x0A", 12));
    ProcessResult r = runRawpush({"-v", "-xa", "-:", job, "DUMP"});
    EXPECT_EQ(r.exitCode, 0);
    const std::string lines = crlf(">000000:   0  00h  NUL \n"
                                   ">000001:  34  22h  \\\"  \n"
                                   ">000002:  92  5Ch  \\\\  \n"
                                   ">000003: 127  7Fh  DEL \n"
                                   ">000004: 128  80h  \\x80\n"
                                   ">000005: 255  FFh  \\xFF\n"
                                   ">000006:  27  1Bh  ESC \n"
                                   ">000007:  32  20h      \n"
                                   ">000008: 126  7Eh  ~   \n"
                                   ">000009:  31  1Fh  US  \n"
                                   ">00000A:  64  40h  @   \n"
                                   ">00000B:  10  0Ah  LF  \n");
    ASSERT_EQ(r.out.substr(0, kSeparator.size() + lines.size()), kSeparator + lines) << r.out;
    EXPECT_TRUE(std::regex_match(r.out.substr(kSeparator.size() + lines.size()), std::regex(kTimeTail)));
    EXPECT_EQ(afterBanner(r.err),
              crlf("unkown parameter v\nunkown parameter x\nunkown parameter :\n") + "  0%\r100%\r");
}

// The bytes arrive unchanged whatever their size, and a second run truncates; the target's path has the
// 259 characters the port holds (one more: the overlong row above).
TEST_F(RawpushE2e, BinaryDataArrivesUnchangedAndASecondRunTruncates) {
    const std::string target = pathOfLength(259, 'f');
    // Sizes around the block of 4096 bytes, and about 1 MiB that ends inside a block, largest first.
    for (size_t size : {1048576u + 1234u, 8193u, 4097u, 4096u, 4095u, 1u}) {
        SCOPED_TRACE(size);
        // Every byte value, CR, LF and ^Z included.
        std::string bytes = ptl::test::testBytes(size, static_cast<unsigned>(size));
        for (size_t i = 0; i < size; i += 4099)
            bytes[i] = '\x1a';
        ProcessResult r = runRawpush({jobFile("copy_in.bin", bytes), target});
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_TRUE(std::regex_match(r.out, std::regex(kSeparator + kTimeTail))) << r.out;
        EXPECT_TRUE(ptl::test::readFile(target) == bytes) << "contents differ";
    }
}

// The library's log file, with the settings in the registry this test process shares with the child. The
// file is opened by PtlStartup and closed by PtlCleanup, so the lines of PtlVersion and PtlStartup's entry
// never reach it, and PtlCleanup's result line does.

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

// The failure paths end early and still close and clean up.
TEST_F(RawpushE2e, CallLinesOfFailedRuns) {
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
TEST_F(RawpushE2e, TimeAndHandlePrefix) {
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
    const std::string rest = ">PtlDocStart p1=00000000 p2=00000000\n<PtlDocStart -1\n"
                             ">PtlPageStart p1=00000000 p2=00000000\n<PtlPageStart -1\n"
                             ">PtlForce f=0\n<PtlForce -1\n"
                             ">PtlPageEnd\n<PtlPageEnd -1\n"
                             ">PtlDocEnd\n<PtlDocEnd -1\n"
                             ">PtlRelease dwTimeout=5000\n<PtlRelease 0\n"
                             ">PtlClose\n<PtlClose 0\n"
                             ">PtlCleanup\n<PtlCleanup 0\n";
    EXPECT_EQ("\r\n" + stripped, callLinesToClaim("DUMP", handle, "00000001", "0") + crlf(rest));
}

} // namespace
} // namespace rawpush_e2e
