// Jobs sent to DUMP: one line per byte between the two separators, the elapsed time, and the progress
// figures on the error stream.
#include <cstring>

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

// Offsets run on across blocks: 5000 bytes go out in two sends and are numbered 000000 to 001387.
TEST_F(DumpE2e, OffsetsContinueAcrossBlocks) {
    const std::string bytes = pattern(5000, 0x41);
    ProcessResult r = runRawpush({jobFile("dump_blocks.bin", bytes), "DUMP"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(afterBanner(r.err), "  0%\r 81%\r100%\r");
    ASSERT_EQ(r.out.substr(0, kSeparator.size()), kSeparator);
    size_t at = kSeparator.size();
    for (unsigned i = 0; i < bytes.size(); ++i) {
        size_t eol = r.out.find("\r\n", at);
        ASSERT_NE(eol, std::string::npos) << "line " << i;
        char head[32];
        const unsigned b = static_cast<unsigned char>(bytes[i]);
        snprintf(head, sizeof head, ">%06X: %3u  %02Xh  ", i, b, b);
        ASSERT_EQ(r.out.substr(at, strlen(head)), head) << "line " << i;
        at = eol + 2;
    }
    EXPECT_TRUE(isTimeTail(r.out.substr(at))) << r.out.substr(at);
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
