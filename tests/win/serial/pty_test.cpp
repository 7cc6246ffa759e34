// Serial ports on a real line: a pty pair (socat) that Wine serves as COM23, with COM24 as the other
// end and the Linux terminal settings read back with stty. Started by this area's test.cmake.
#include <gtest/gtest.h>

#include <future>
#include <string>

#include "os/Syscalls.h"
#include "serial/WCom.h"
#include "serial/WComA.h"
#include "sim/PtyLine.h"
#include "support/Ledger.h"
#include "support/TestUtil.h"

namespace ptl {
namespace {

using test::hasToken;
using test::PtyLine;
using test::waitUntil;
using namespace std::chrono_literals;

constexpr char kXon = 0x11;
constexpr char kXoff = 0x13;

class Pty : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(line.available()) << "needs the pty fixture: run through ctest";
        ASSERT_TRUE(line.openPeer()) << "cannot open the line's other end";
        line.peerDrain();
        baseline = os::openTotal();
    }
    void TearDown() override { EXPECT_EQ(os::openTotal(), baseline) << os::openReport(); }

    PtyLine line;
    int baseline = 0;
};

TEST_F(Pty, SettingsReachTheLinuxTerminal) {
    WCom com;
    ASSERT_EQ(com.setPortNo(line.com()), 0);
    ASSERT_EQ(com.setBaudRate(19200), 0);
    ASSERT_EQ(com.setStopBits(2), 0);
    ASSERT_EQ(com.setFlow(2), 0);
    ASSERT_EQ(com.claim(0), 0);
    std::string s = line.linuxSettings();
    EXPECT_NE(s.find("speed 19200 baud"), std::string::npos) << s;
    EXPECT_TRUE(hasToken(s, "cstopb")) << s;
    EXPECT_TRUE(hasToken(s, "crtscts")) << s;
    EXPECT_TRUE(hasToken(s, "cs8")) << s;

    // Setters while claimed go to the device at once.
    ASSERT_EQ(com.setFlow(3), 0);
    ASSERT_EQ(com.setBaudRate(38400), 0);
    ASSERT_EQ(com.setStopBits(0), 0);
    s = line.linuxSettings();
    EXPECT_NE(s.find("speed 38400 baud"), std::string::npos) << s;
    EXPECT_TRUE(hasToken(s, "ixon")) << s;
    EXPECT_TRUE(hasToken(s, "ixoff")) << s;
    EXPECT_TRUE(hasToken(s, "-crtscts")) << s;
    EXPECT_TRUE(hasToken(s, "-cstopb")) << s;
    EXPECT_EQ(com.release(0), 0);
}

// XON/XOFF for real: the other end holds the line, a threaded send still returns at once, nothing
// gets through while held, and release(5000) waits for the drain once the other end resumes.
TEST_F(Pty, ThreadedSendUnderXoffStallsResumesAndDrainsAtRelease) {
    WComA a;
    ASSERT_EQ(a.setPortNo(line.com()), 0);
    ASSERT_EQ(a.setFlow(3), 0);
    ASSERT_EQ(a.claim(0), 0);
    ASSERT_TRUE(line.peerWrite(std::string(1, kXoff)));

    const std::string data = test::testBytes(200000);
    int written = 0;
    ASSERT_EQ(a.send(data.data(), static_cast<int>(data.size()), &written, 0, 0, 0), 0);
    EXPECT_EQ(written, 200000); // at once: the ring holds it
    std::string got = line.peerRead(data.size());
    EXPECT_LT(got.size(), data.size()) << "bytes passed a held line";
    int count = 0;
    ASSERT_EQ(a.getSendCount(&count), 0);
    EXPECT_GT(count, 0);

    auto released = std::async(std::launch::async, [&] { return a.release(5000); });
    ASSERT_TRUE(line.peerWrite(std::string(1, kXon)));
    got += line.peerRead(data.size() - got.size());
    ASSERT_EQ(released.wait_for(60s), std::future_status::ready);
    EXPECT_EQ(released.get(), 0);
    EXPECT_EQ(got.size(), data.size());
    EXPECT_TRUE(got == data) << "data changed on the line";
}

} // namespace
} // namespace ptl
