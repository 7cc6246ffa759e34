// rawpush to a real serial line: a pty pair served by Wine as COM25, read at COM26 (see test.cmake).
#include <gtest/gtest.h>

#include <chrono>
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

// Synchronous and threaded (which must drain before the program ends): every byte arrives, after the
// settings lines.
TEST(RawpushSerial, SendIsByteExact) {
    ptl::test::clearLogSettings();
    PtyLine line;
    ASSERT_TRUE(line.available() && line.openPeer(200)) << "needs the pty fixture: run through ctest";
    line.peerDrain();
    struct Case {
        std::vector<std::string> options;
        const char *baud, *flow;
    } cases[] = {{{"-b192", "-d8", "-pN", "-s1", "-fN"}, "19200", "NONE"},
                 {{"-a", "-b1152", "-fX"}, "115200", "XON/XOFF"}};
    const std::string data = ptl::test::testBytes(300000);
    const std::string path = ptl::test::tempPath("serial-job.bin");
    ptl::test::writeFile(path, data);
    for (const Case &c : cases) {
        // The other end is read while rawpush runs, until every byte arrived or 60 s passed.
        auto reader = std::async(std::launch::async, [&line, &data] {
            std::string got;
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
            while (got.size() < data.size() && std::chrono::steady_clock::now() < deadline)
                got += line.peerRead(data.size() - got.size());
            return got;
        });
        std::vector<std::string> args = c.options;
        args.insert(args.end(), {path, line.comName()});
        auto r = runRawpush(args);
        EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
        EXPECT_TRUE(reader.get() == data) << "bytes differ on the line";
        const std::string settings =
            crlf(" Target = " + line.comName() + "\n  Baudrate  = " + c.baud +
                 "\n  Data size = 8\n  Parity    = NONE\n  Stop bits = 1\n  Flow      = " + c.flow + "\n");
        EXPECT_EQ(r.out.substr(0, settings.size()), settings) << r.out;
    }
}

} // namespace
