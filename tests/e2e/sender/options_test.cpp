// rawpush's command line as a user meets it: banner, usage text, rejected values, unknown letters, the
// printer listing and the wait after the run.
#include <regex>

#include "SenderRun.h"

namespace rawpush_e2e {
namespace {

using OptionsE2e = Rawpush;

TEST_F(OptionsE2e, NoArgumentsPrintsBannerAndUsage) {
    ProcessResult r = runRawpush({});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    expectUsage(afterBanner(r.err));
}

TEST_F(OptionsE2e, OneOrThreeWordsPrintUsage) {
    for (const auto &args : std::vector<std::vector<std::string>>{
             {"job.bin"}, {"job.bin", "DUMP", "extra"}, {"-b96", "job.bin"}, {"-a", "a", "b", "c"}}) {
        SCOPED_TRACE(args.size());
        ProcessResult r = runRawpush(args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.out, "");
        expectUsage(afterBanner(r.err));
    }
}

// -w as the last word has no value: the usage text, not the value of the option before it.
TEST_F(OptionsE2e, WaitWithoutValuePrintsUsage) {
    ProcessResult r = runRawpush({"-d8", "-w"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    expectUsage(afterBanner(r.err));
}

struct BadValue {
    std::vector<std::string> args;
    char letter;
};

TEST_F(OptionsE2e, RejectedSerialValuesNameTheLetterAndExit1) {
    const std::string job = jobFile("bad_values.bin", "x");
    const BadValue cases[] = {
        {{"-b100", job, "DUMP"}, 'b'},
        {{"-b", "7", job, "DUMP"}, 'b'},
        {{"-bfast", job, "DUMP"}, 'b'},
        {{"-d9", job, "DUMP"}, 'd'},
        {{"-d3", job, "DUMP"}, 'd'},
        {{"-fQ", job, "DUMP"}, 'f'},
        {{"-f", "", job, "DUMP"}, 'f'},
        {{"-pQ", job, "DUMP"}, 'p'},
        {{"-p1", job, "DUMP"}, 'p'},
        {{"-s3", job, "DUMP"}, 's'},
        {{"-s0", job, "DUMP"}, 's'},
        // A value-taking letter as the last word has no value at all.
        {{"-b"}, 'b'},
        {{"-d"}, 'd'},
        {{"-f"}, 'f'},
        {{"-p"}, 'p'},
        {{"-s"}, 's'},
        {{"-b96", "-s"}, 's'},
        // The first bad value ends the run: later options are not read.
        {{"-pX", "-v", "-bX"}, 'p'},
    };
    for (const BadValue &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        ProcessResult r = runRawpush(c.args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(afterBanner(r.err), std::string("Invalid parameter ") + c.letter + "\r\n");
    }
}

// Values are the tool's command line: every accepted spelling runs; on a non-serial target the settings
// are ignored and no settings lines appear.
TEST_F(OptionsE2e, AcceptedSerialValuesAreIgnoredOnADumpTarget) {
    const std::string job = jobFile("accepted.bin", "A");
    const std::vector<std::vector<std::string>> cases = {
        {"-b96", "-d7", "-pe", "-s1", "-fx"},
        {"-b9600", "-d8", "-pEven", "-s15", "-fRTS"},
        {"-b2560", "-d4", "-pn", "-s2", "-fw"},
        {"-b256000", "-pM", "-pS", "-s5", "-fD", "-fN"},
        {"-b", "192", "-d", "5"}, // value as the next word
        {"-ab1152", "-ad6"},      // a value-taking letter takes the rest of its group's word
        {"-a", "-b110", "-b144", "-b560", "-b576", "-b1280", "-b3", "-b6", "-b12", "-b24", "-b48", "-b384"},
    };
    const std::string dumpLine = crlf(">000000:  65  41h  A   \n");
    for (auto args : cases) {
        SCOPED_TRACE(testing::PrintToString(args));
        args.push_back(job);
        args.push_back("DUMP");
        ProcessResult r = runRawpush(args);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(afterBanner(r.err), "  0%\r100%\r");
        ASSERT_EQ(r.out.substr(0, kSeparator.size() + dumpLine.size()), kSeparator + dumpLine) << r.out;
        EXPECT_TRUE(isTimeTail(r.out.substr(kSeparator.size() + dumpLine.size()))) << r.out;
    }
}

// Letters outside the option string are reported and the run goes on: -v is in the usage text only.
TEST_F(OptionsE2e, UnknownLettersAreReportedAndTheRunGoesOn) {
    const std::string job = jobFile("unknown.bin", "\x1b@\n");
    ProcessResult r = runRawpush({"-v", "-xa", "-:", job, "DUMP"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(afterBanner(r.err), crlf("unkown parameter v\n"
                                       "unkown parameter x\n"
                                       "unkown parameter :\n") +
                                      "  0%\r100%\r");
    const std::string lines = crlf(">000000:  27  1Bh  ESC \n"
                                   ">000001:  64  40h  @   \n"
                                   ">000002:  10  0Ah  LF  \n");
    ASSERT_EQ(r.out.substr(0, kSeparator.size() + lines.size()), kSeparator + lines) << r.out;
    EXPECT_TRUE(isTimeTail(r.out.substr(kSeparator.size() + lines.size()))) << r.out;
}

// "--" ends the options; a lone "-" is a word, here a file that does not exist.
TEST_F(OptionsE2e, DoubleDashEndsOptionsAndLoneDashIsAWord) {
    const std::string job = jobFile("dashdash.bin", "Z");
    ProcessResult r = runRawpush({"--", job, "DUMP"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(afterBanner(r.err), "  0%\r100%\r");

    r = runRawpush({"-", "DUMP"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(afterBanner(r.err), "Can't open binary file. <->\r\n");
    EXPECT_EQ(r.out, "");
}

// The listing's shape: default-printer line, the spooler's printers, an empty line, then the drivers
// with a number in three places.
bool isListing(const std::string &out) {
    static const std::regex listing("DefaultPrinter=\\[[^\r\n]*\\]\r\n"
                                    "( spooler[1-9][0-9]* '[^\r\n]*'\r\n)*"
                                    "\r\n"
                                    "(( {2}[1-9]| [1-9][0-9]|[1-9][0-9]{2,}) '[^\r\n]*'\r\n)*");
    return std::regex_match(out, listing);
}

TEST_F(OptionsE2e, ListingHasItsShapeAndExits0) {
    ProcessResult r = runRawpush({"-l"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(isListing(r.out)) << r.out;
    EXPECT_EQ(afterBanner(r.err), "");
}

// -l ends the program at once: nothing after it is read (no unknown letter, no rejected value, no
// usage), and nothing before it is opened, not even the library (no log file appears).
TEST_F(OptionsE2e, ListingEndsTheProgramBeforeAnythingIsOpened) {
    const std::string log = ptl::test::tempPath("listing.log");
    ptl::test::LogSettings settings(0x13, log);
    const std::vector<std::vector<std::string>> cases = {
        {"-al", "missing.bin", "COM1"},
        {"-b96", "-l", "-x", "-b100"},
        {"-a", "-l", "-w"},
        {"-lv", "one", "two", "three"},
    };
    for (const auto &args : cases) {
        SCOPED_TRACE(testing::PrintToString(args));
        ProcessResult r = runRawpush(args);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_TRUE(isListing(r.out)) << r.out;
        EXPECT_EQ(afterBanner(r.err), "");
    }
    EXPECT_FALSE(ptl::test::fileExists(log));
}

TEST_F(OptionsE2e, WaitIsAnnouncedAfterTheRun) {
    const std::string job = jobFile("wait.bin", "W");
    const std::string head = kSeparator + crlf(">000000:  87  57h  W   \n");
    const std::string wait = "Wait 1 seconds\r\n";
    // The value may be the next word; digits are read up to the first other character.
    for (const auto &w : std::vector<std::vector<std::string>>{{"-w1"}, {"-w", "1sec"}, {"-aw01"}}) {
        SCOPED_TRACE(testing::PrintToString(w));
        std::vector<std::string> args = w;
        args.push_back(job);
        args.push_back("DUMP");
        ProcessResult r = runRawpush(args);
        EXPECT_EQ(r.exitCode, 0);
        ASSERT_GT(r.out.size(), head.size() + wait.size()) << r.out;
        EXPECT_EQ(r.out.substr(0, head.size()), head);
        EXPECT_EQ(r.out.substr(r.out.size() - wait.size()), wait);
        EXPECT_TRUE(isTimeTail(r.out.substr(head.size(), r.out.size() - head.size() - wait.size()))) << r.out;
    }
}

// The wait follows the run whatever its result, as long as the library started.
TEST_F(OptionsE2e, WaitFollowsAFailedRunWithItsExitCode) {
    const std::string job = jobFile("wait_fail.bin", "W");
    ProcessResult r = runRawpush({"-w1", job, ptl::test::tempPath("no_such_dir\\out.prn")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "PtlClaim()=Can't claim.\r\nWait 1 seconds\r\n");

    r = runRawpush({"-w1", ptl::test::tempPath("no_such_job.bin"), "DUMP"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "Wait 1 seconds\r\n");

    r = runRawpush({"-w1", job, "CON"});
    EXPECT_EQ(r.exitCode, 3);
    const std::string wait = "Wait 1 seconds\r\n";
    EXPECT_EQ(r.out.substr(r.out.size() - wait.size()), wait) << r.out;
}

TEST_F(OptionsE2e, NoWaitMessageForZeroOrNoDigits) {
    const std::string job = jobFile("nowait.bin", "N");
    for (const char *w : {"-w0", "-wabc"}) {
        SCOPED_TRACE(w);
        ProcessResult r = runRawpush({w, job, "DUMP"});
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.out.find("Wait"), std::string::npos) << r.out;
    }
}

} // namespace
} // namespace rawpush_e2e
