// rawpush to the XFS target through the fake XFS manager beside it (bin/MSXFS.dll): the report of every
// XFS call and the job handed to the service as raw data.
#include "SenderRun.h"

namespace rawpush_e2e {
namespace {

using XfsE2e = Rawpush;

TEST_F(XfsE2e, JobGoesToTheServiceAsRawData) {
    const std::string path = ptl::test::tempPath("xfs-job.bin");
    ptl::test::writeFile(path, ptl::test::testBytes(9000));
    ProcessResult r = runRawpush({path, "XFS"});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    for (const char *line :
         {"0 WFSOpen\r\n", "0 WFSLock\r\n", "0 WFSUnlock\r\n0 WFSClose\r\n0 WFSDestroyAppHandle\r\n"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << r.out;
    // The test sequence's own raw text, then the job in its three blocks.
    const std::string raw = "0 WFSExecute(WFS_CMD_PTR_RAW_DATA)\r\n";
    int blocks = 0;
    for (size_t at = r.out.find(raw); at != std::string::npos; at = r.out.find(raw, at + 1))
        ++blocks;
    EXPECT_EQ(blocks, 4) << r.out;
}

} // namespace
} // namespace rawpush_e2e
