// Jobs sent to a file target: the bytes arrive unchanged whatever their size, a second run truncates,
// and a path too long for the port is refused instead of being written under a shortened name.
#include <windows.h>

#include "SenderRun.h"

namespace rawpush_e2e {
namespace {

using FileE2e = Rawpush;

TEST_F(FileE2e, BinaryDataArrivesUnchangedAndASecondRunTruncates) {
    const std::string target = ptl::test::tempPath("copy_out.prn");
    // Sizes around the block of 4096 bytes, and about 1 MiB that ends inside a block, largest first.
    for (size_t size : {1048576u + 1234u, 8193u, 4097u, 4096u, 4095u, 1u}) {
        SCOPED_TRACE(size);
        // Every byte value in every position of a block, CR, LF and ^Z included.
        std::string bytes = pattern(size, static_cast<unsigned>(size));
        for (size_t i = 0; i < size; i += 4099)
            bytes[i] = '\x1a';
        ProcessResult r = runRawpush({jobFile("copy_in.bin", bytes), target});
        EXPECT_EQ(r.exitCode, 0);
        ASSERT_EQ(r.out.substr(0, kSeparator.size()), kSeparator) << r.out;
        EXPECT_TRUE(isTimeTail(r.out.substr(kSeparator.size()))) << r.out;
        EXPECT_TRUE(ptl::test::readFile(target) == bytes) << "contents differ";
    }
}

// The port holds at most 259 characters. A path of exactly 259 is written; 260 and more cannot be claimed
// (the message on the output stream), and nothing appears under a shortened name.
TEST_F(FileE2e, OverlongTargetPathIsRefused) {
    const std::string folder = ptl::test::tempPath("long_names");
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string job = jobFile("long.bin", "long path job");
    const std::string base = folder + "\\";
    const std::string fits = base + std::string(259 - base.size(), 'f');
    EXPECT_EQ(runRawpush({job, fits}).exitCode, 0);
    EXPECT_EQ(ptl::test::readFile(fits), "long path job");
    for (size_t length : {260u, 300u}) {
        SCOPED_TRACE(length);
        const std::string path = base + std::string(length - base.size(), 'g');
        ProcessResult r = runRawpush({job, path});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.out, "PtlClaim()=Can't claim.\r\n"); // and no separator follows
        EXPECT_EQ(afterBanner(r.err), "");
        EXPECT_FALSE(ptl::test::fileExists(path.substr(0, 259)));
    }
}

} // namespace
} // namespace rawpush_e2e
