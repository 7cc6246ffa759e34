// rawpush to the shipped network printer simulator over loopback: whole jobs byte for byte, the control
// channel's failure, a reset mid-job and a port given in the target.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>

#include "support/NetSim.h"
#include "support/Process.h"
#include "support/TestUtil.h"

namespace {

using namespace ptl::test;

// Each test its own address: the TCP ports never meet, even if a simulator outlives its test.
std::string nextIp() {
    static std::atomic<int> n{1};
    return "127.11.0." + std::to_string(++n);
}

// "N bytes fnv1a64 H complete": what the simulator says about a job received whole.
std::string completeLine(const std::string &bytes) {
    return std::to_string(bytes.size()) + " bytes fnv1a64 " + hex16(fnv1a64(bytes.data(), bytes.size())) +
           " complete";
}

class RawpushNet : public ::testing::Test {
protected:
    void SetUp() override { clearLogSettings(); }
};

// Many times the send ring through a reader that pauses now and then: the threaded queue wraps while full.
TEST_F(RawpushNet, SyncAndThreadedDeliverTheJobByteForByte) {
    NetSim sim(nextIp(), {"--stall-every", "1048576", "--stall-ms", "100"});
    ASSERT_TRUE(sim.ready()) << sim.out();
    const std::string bytes = ptl::test::testBytes(6u << 20, 1);
    const std::string path = jobFile("net1.bin", bytes);
    ProcessResult r1 = runRawpush({path, "VQNET@" + sim.ip()});
    EXPECT_EQ(r1.exitCode, 0) << r1.out << r1.err;
    ProcessResult r2 = runRawpush({"-a", path, "VQNET@" + sim.ip()});
    EXPECT_EQ(r2.exitCode, 0) << r2.out << r2.err;
    EXPECT_NE(sim.waitJob(1, 10000).find(completeLine(bytes)), std::string::npos) << sim.out();
    EXPECT_NE(sim.waitJob(2, 10000).find(completeLine(bytes)), std::string::npos) << sim.out();
    EXPECT_TRUE(sim.jobFile(1) == bytes);
    EXPECT_TRUE(sim.jobFile(2) == bytes);
    EXPECT_NE(r1.out.find("Total Time = "), std::string::npos);
}

// The two failures below run synchronously only: a threaded run (-a) forces the printer through the same
// control channel, and the threaded ports' answer to a reset is shown by the port tests.
TEST_F(RawpushNet, SilentControlChannelFailsAtForceInAboutThreeSeconds) {
    NetSim sim(nextIp(), {"--silent"});
    ASSERT_TRUE(sim.ready()) << sim.out();
    const DWORD start = GetTickCount();
    ProcessResult r =
        runRawpush({jobFile("net-silent.bin", ptl::test::testBytes(1000, 3)), "VQNET@" + sim.ip()});
    const DWORD took = GetTickCount() - start;
    EXPECT_EQ(r.exitCode, 1) << r.out;
    EXPECT_GE(took, 2900u);
    EXPECT_LT(took, 8000u);
}

TEST_F(RawpushNet, ResetMidJobEndsWithExitCode3AndAMessage) {
    NetSim sim(nextIp(), {"--reset-after", "100000"});
    ASSERT_TRUE(sim.ready()) << sim.out();
    const std::string path = jobFile("net-reset.bin", ptl::test::testBytes(32u << 20, 4));
    const DWORD start = GetTickCount();
    ProcessResult r = runRawpush({path, "VQNET@" + sim.ip()}, 60000);
    EXPECT_EQ(r.exitCode, 3) << r.out << r.err;
    EXPECT_NE(r.out.find("err=1101 dwErr="), std::string::npos) << r.out;
    EXPECT_LT(GetTickCount() - start, 20000u);
    EXPECT_NE(sim.waitJob(1, 5000).find("reset by the printer"), std::string::npos) << sim.out();
    DeleteFileA(path.c_str());
}

TEST_F(RawpushNet, PortNumberBeforeTheAtSignIsUsed) {
    NetSim sim(nextIp(), {"--port", "9123"});
    ASSERT_TRUE(sim.ready()) << sim.out();
    const std::string bytes = ptl::test::testBytes(5000, 6);
    const std::string path = jobFile("net-port.bin", bytes);
    ProcessResult r = runRawpush({path, "VQNET9123@" + sim.ip()});
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_NE(sim.waitJob(1, 5000).find(completeLine(bytes)), std::string::npos) << sim.out();
    // Without the number the default raw port 9100 is tried, where nobody listens on this address.
    ProcessResult d = runRawpush({path, "VQNET@" + sim.ip()});
    EXPECT_EQ(d.exitCode, 1) << d.out;
    EXPECT_NE(d.out.find("PtlClaim()=Can't connect."), std::string::npos) << d.out;
}

} // namespace
