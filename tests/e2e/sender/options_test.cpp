// rawpush's command line as a user meets it: banner, usage text, rejected values, unknown letters, the
// printer listing and the wait after the run.
#include <regex>

#include "SenderRun.h"

namespace rawpush_e2e {
namespace {

using OptionsE2e = Rawpush;

// No words, one or three words, or -w without a value (not the value of the option before it): usage.
TEST_F(OptionsE2e, WrongWordCountsPrintUsage) {
    for (const auto &args : std::vector<std::vector<std::string>>{
             {}, {"job.bin"}, {"job.bin", "DUMP", "extra"}, {"-a", "a", "b", "c"}, {"-d8", "-w"}}) {
        SCOPED_TRACE(testing::PrintToString(args));
        ProcessResult r = runRawpush(args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.out, "");
        expectUsage(afterBanner(r.err));
    }
}

// A rejected value names its letter after the banner and ends the program with 1 before anything is
// opened (each letter's values: the native Options tests).
TEST_F(OptionsE2e, RejectedValueNamesTheLetterAndExits1) {
    const struct {
        std::vector<std::string> args;
        char letter;
    } cases[] = {{{"-b", "7", "job.bin", "DUMP"}, 'b'}, {{"-b96", "-s"}, 's'}};
    for (const auto &c : cases) {
        ProcessResult r = runRawpush(c.args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(afterBanner(r.err), std::string("Invalid parameter ") + c.letter + "\r\n");
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

// The listing's shape: default-printer line, the spooler's printers, an empty line, then the drivers
// with a number in three places.
bool isListing(const std::string &out) {
    static const std::regex listing("DefaultPrinter=\\[[^\r\n]*\\]\r\n"
                                    "( spooler[1-9][0-9]* '[^\r\n]*'\r\n)*"
                                    "\r\n"
                                    "(( {2}[1-9]| [1-9][0-9]|[1-9][0-9]{2,}) '[^\r\n]*'\r\n)*");
    return std::regex_match(out, listing);
}

// -l ends the program at once: nothing after it is read (no unknown letter, no rejected value, no
// usage), and nothing before it is opened, not even the library (no log file appears).
TEST_F(OptionsE2e, ListingEndsTheProgramBeforeAnythingIsOpened) {
    const std::string log = ptl::test::tempPath("listing.log");
    ptl::test::LogSettings settings(0x13, log);
    const std::vector<std::vector<std::string>> cases = {{"-b96", "-l", "-x", "-b100"},
                                                         {"-lv", "1", "2", "3"}};
    for (const auto &args : cases) {
        SCOPED_TRACE(testing::PrintToString(args));
        ProcessResult r = runRawpush(args);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_TRUE(isListing(r.out)) << r.out;
        EXPECT_EQ(afterBanner(r.err), "");
    }
    EXPECT_FALSE(ptl::test::fileExists(log));
}

// The wait follows the run whatever its result, as long as the library started; the value may be the
// next word, and digits are read up to the first other character.
TEST_F(OptionsE2e, WaitIsAnnouncedAfterTheRunWhateverItsResult) {
    const std::string job = jobFile("wait.bin", "W");
    struct Case {
        std::vector<std::string> args;
        int exitCode;
    } cases[] = {{{"-w", "1sec", job, "DUMP"}, 0},
                 {{"-aw01", job, ptl::test::tempPath("no_such_dir\\out.prn")}, 1},
                 {{"-w1", ptl::test::tempPath("no_such_job.bin"), "DUMP"}, 1},
                 {{"-w1", job, "CON"}, 3}};
    const std::string wait = "Wait 1 seconds\r\n";
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        ProcessResult r = runRawpush(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode);
        ASSERT_GE(r.out.size(), wait.size()) << r.out;
        EXPECT_EQ(r.out.substr(r.out.size() - wait.size()), wait) << r.out;
    }
    ProcessResult r = runRawpush({"-wabc", job, "DUMP"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out.find("Wait"), std::string::npos) << r.out;
}

} // namespace
} // namespace rawpush_e2e
