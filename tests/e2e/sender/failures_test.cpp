// The failure table of the send run, provoked from outside: each row's message, its stream and the exit
// code, and what the run still prints around it.
#include <windows.h>

#include "SenderRun.h"

namespace rawpush_e2e {
namespace {

using FailuresE2e = Rawpush;

// A missing file or a folder cannot be read; the file is opened before the target is looked at.
TEST_F(FailuresE2e, FileThatCannotBeOpened) {
    const std::string dir = ptl::test::tempPath("job_folder");
    CreateDirectoryA(dir.c_str(), nullptr);
    for (const std::string &job : {ptl::test::tempPath("missing_job.bin"), dir}) {
        ProcessResult r = runRawpush({job, "CON"});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(afterBanner(r.err), "Can't open binary file. <" + job + ">\r\n");
    }
}

// CON writes with the console call, which fails with ERROR_INVALID_HANDLE (6) when the output is a file.
// The loop ends at the first block; page, document and release still run and the time is printed.
TEST_F(FailuresE2e, SendFailure) {
    ProcessResult r = runRawpush({jobFile("send_fails.bin", pattern(10000)), "CON"});
    EXPECT_EQ(r.exitCode, 3);
    const std::string head = kSeparator + "err=1101 dwErr=6\r\n";
    ASSERT_EQ(r.out.substr(0, head.size()), head) << r.out;
    EXPECT_TRUE(isTimeTail(r.out.substr(head.size()))) << r.out;
    EXPECT_EQ(afterBanner(r.err), "  0%\r");
}

// A log file that cannot be opened makes PtlStartup fail; nothing of the run follows, not even the wait.
TEST_F(FailuresE2e, StartupFailure) {
    ptl::test::LogSettings settings(0x10, ptl::test::tempPath("no_such_log_dir\\ptl.log"));
    ProcessResult r = runRawpush({"-w1", jobFile("startup_fails.bin", "abc"), "DUMP"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(afterBanner(r.err), "PtlStartup()\r\n");
}

} // namespace
} // namespace rawpush_e2e
