// Jobs sent to a file target: the bytes arrive unchanged whatever their size, a second run truncates,
// and a path too long for the port is refused instead of being written under a shortened name.
#include <windows.h>

#include "SenderRun.h"

namespace rawpush_e2e {
namespace {

using FileE2e = Rawpush;

// What the output stream shows for a successful run to a file: the two separators and the time.
void expectPlainRun(const ProcessResult &r, size_t size) {
    EXPECT_EQ(r.exitCode, 0);
    ASSERT_EQ(r.out.substr(0, kSeparator.size()), kSeparator) << r.out;
    EXPECT_TRUE(isTimeTail(r.out.substr(kSeparator.size()))) << r.out;
    EXPECT_EQ(afterBanner(r.err), progressFor(size));
}

TEST_F(FileE2e, BinaryDataArrivesUnchanged) {
    // Sizes around the block of 4096 bytes, and about 1 MiB that ends inside a block.
    for (size_t size : {1u, 255u, 256u, 4095u, 4096u, 4097u, 8191u, 8192u, 8193u, 1048576u + 1234u}) {
        SCOPED_TRACE(size);
        // Every byte value in every position of a block, CR, LF and ^Z included.
        std::string bytes = pattern(size, static_cast<unsigned>(size));
        for (size_t i = 0; i < size; i += 4099)
            bytes[i] = '\x1a';
        const std::string job = jobFile("copy_in.bin", bytes);
        const std::string target = ptl::test::tempPath("copy_out.prn");
        DeleteFileA(target.c_str());
        ProcessResult r = runRawpush({job, target});
        expectPlainRun(r, size);
        const std::string got = ptl::test::readFile(target);
        ASSERT_EQ(got.size(), bytes.size());
        EXPECT_TRUE(got == bytes) << "contents differ";
    }
}

// The second run to the same path truncates: only its own, shorter job is left.
TEST_F(FileE2e, SameTargetTwiceTruncates) {
    const std::string target = ptl::test::tempPath("twice.prn");
    const std::string first = pattern(10000, 7);
    const std::string second = "second job\r\n\x00\xff";
    ProcessResult r = runRawpush({jobFile("twice_1.bin", first), target});
    expectPlainRun(r, first.size());
    EXPECT_TRUE(ptl::test::readFile(target) == first);

    r = runRawpush({jobFile("twice_2.bin", second), target});
    expectPlainRun(r, second.size());
    EXPECT_EQ(ptl::test::readFile(target), second);
}

// A text that names no interface is a file path; the job's "\n" stays a single byte.
TEST_F(FileE2e, PathNamedLikeNoInterfaceIsAFile) {
    const std::string dir = ptl::test::tempPath("as_written");
    CreateDirectoryA(dir.c_str(), nullptr);
    const std::string job = jobFile("as_written.bin", "as written\n");
    ProcessResult r = runRawpush({job, dir + "\\COMX"});
    expectPlainRun(r, 11);
    EXPECT_EQ(ptl::test::readFile(dir + "\\COMX"), "as written\n");
}

// Names the file names in folder.
std::vector<std::string> filesIn(const std::string &folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA d;
    HANDLE f = FindFirstFileA((folder + "\\*").c_str(), &d);
    if (f == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string n = d.cFileName;
        if (n != "." && n != "..")
            names.push_back(n);
    } while (FindNextFileA(f, &d));
    FindClose(f);
    return names;
}

// The port holds at most 259 characters. A path of exactly 259 is written; 260 and more are refused, and
// nothing appears under a shortened name.
TEST_F(FileE2e, OverlongTargetPathIsRefused) {
    const std::string folder = ptl::test::tempPath("long_names");
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string job = jobFile("long.bin", "long path job");
    const std::string base = folder + "\\";
    ASSERT_LT(base.size() + 10, 259u);

    const std::string fits = base + std::string(259 - base.size(), 'f');
    ASSERT_EQ(fits.size(), 259u);
    ProcessResult r = runRawpush({job, fits});
    expectPlainRun(r, 13);
    EXPECT_EQ(ptl::test::readFile(fits), "long path job");
    DeleteFileA(fits.c_str());
    ASSERT_TRUE(filesIn(folder).empty());

    for (size_t length : {260u, 261u, 300u}) {
        SCOPED_TRACE(length);
        const std::string path = base + std::string(length - base.size(), 'g');
        r = runRawpush({job, path});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.out, "PtlClaim()=Can't claim.\r\n");
        EXPECT_EQ(afterBanner(r.err), "");
        EXPECT_EQ(filesIn(folder), std::vector<std::string>{});
    }
}

} // namespace
} // namespace rawpush_e2e
