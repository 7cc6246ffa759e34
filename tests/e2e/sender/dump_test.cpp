// Jobs sent to DUMP: one line per byte between the two separators, the elapsed time, and the progress
// figures on the error stream.
#include "SenderRun.h"

namespace rawpush_e2e {
namespace {

using DumpE2e = Rawpush;

TEST_F(DumpE2e, BinaryJobIsDumpedLineByLine) {
    const std::string job =
        jobFile("dump_binary.bin", std::string("\x00\x22\x5C\x7F\x80\xFF\x1B\x20\x7E\x1F", 10));
    ProcessResult r = runRawpush({job, "DUMP"});
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
                                   ">000009:  31  1Fh  US  \n");
    ASSERT_EQ(r.out.substr(0, kSeparator.size() + lines.size()), kSeparator + lines) << r.out;
    EXPECT_TRUE(isTimeTail(r.out.substr(kSeparator.size() + lines.size()))) << r.out;
    EXPECT_EQ(afterBanner(r.err), "  0%\r100%\r");
}

// An empty job sends nothing and succeeds; the progress shows a complete transfer without dividing by 0.
TEST_F(DumpE2e, EmptyFileSucceedsWithoutDividingByZero) {
    ProcessResult r = runRawpush({jobFile("dump_empty.bin", ""), "DUMP"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(afterBanner(r.err), "100%\r");
    ASSERT_EQ(r.out.substr(0, kSeparator.size()), kSeparator) << r.out;
    EXPECT_TRUE(isTimeTail(r.out.substr(kSeparator.size()))) << r.out;
}

} // namespace
} // namespace rawpush_e2e
