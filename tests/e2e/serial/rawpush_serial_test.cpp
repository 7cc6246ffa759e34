// rawpush to a real serial line: a pty pair served by Wine as COM25, read at COM26 (see test.cmake).
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <future>
#include <string>
#include <vector>

#include "sim/PtyLine.h"
#include "support/Process.h"
#include "support/TestUtil.h"

namespace {

using ptl::test::crlf;
using ptl::test::PtyLine;
using ptl::test::runRawpush;

class RawpushSerial : public ::testing::Test {
protected:
    void SetUp() override {
        ptl::test::clearLogSettings();
        ASSERT_TRUE(line.available()) << "needs the pty fixture: run through ctest";
        ASSERT_TRUE(line.openPeer(200));
        line.peerDrain();
    }
    // Reads the other end while rawpush runs, until want bytes arrived or 60 s passed.
    std::future<std::string> readInBackground(size_t want) {
        return std::async(std::launch::async, [this, want] {
            std::string got;
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
            while (got.size() < want && std::chrono::steady_clock::now() < deadline)
                got += line.peerRead(want - got.size());
            return got;
        });
    }
    std::string settingsLines(const char *baud, const char *flow) {
        return crlf(" Target = " + line.comName() + "\n  Baudrate  = " + baud +
                    "\n  Data size = 8\n  Parity    = NONE\n  Stop bits = 1\n  Flow      = " + flow + "\n");
    }

    PtyLine line;
};

// Synchronous and threaded (which must drain before the program ends): every byte arrives, after the
// settings lines.
TEST_F(RawpushSerial, SendIsByteExact) {
    struct Case {
        std::vector<std::string> options;
        const char *baud, *flow;
    } cases[] = {{{"-b192", "-d8", "-pN", "-s1", "-fN"}, "19200", "NONE"},
                 {{"-a", "-b1152", "-fX"}, "115200", "XON/XOFF"}};
    for (const Case &c : cases) {
        const std::string data = ptl::test::testBytes(300000);
        const std::string path = ptl::test::tempPath("serial-job.bin");
        ptl::test::writeFile(path, data);
        auto reader = readInBackground(data.size());
        std::vector<std::string> args = c.options;
        args.push_back(path);
        args.push_back(line.comName());
        auto r = runRawpush(args);
        EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
        EXPECT_TRUE(reader.get() == data) << "bytes differ on the line";
        const std::string settings = settingsLines(c.baud, c.flow);
        EXPECT_EQ(r.out.substr(0, settings.size()), settings) << r.out;
    }
}

// The AEA targets frame the job: the other end of the line sees each framing's exact bytes.
TEST_F(RawpushSerial, AeaTargetsWriteTheirFrames) {
    const std::string path = ptl::test::tempPath("aea-job.bin");
    ptl::test::writeFile(path, "A\020B");
    const struct {
        const char *name, *frame;
    } cases[] = {{"ULTRA", "\002A\020\020B\003"},
                 {"RESA", "\0020A\020\020B\027\064"},
                 {"SITA", "\0020A\020\020B\003\043\015"}};
    for (const auto &c : cases) {
        auto reader = readInBackground(strlen(c.frame));
        auto r = runRawpush({path, c.name + std::to_string(line.com())});
        EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
        EXPECT_EQ(reader.get(), c.frame) << c.name;
    }
}

} // namespace
