// The factory rows of the network kinds and what PtlOpenByName hands the printer network port.
#include <gtest/gtest.h>

#include "api/Factory.h"
#include "core/Target.h"
#include "port/WPort.h"
#include "ptl/ptl.h"

namespace {

using namespace ptl;

struct Made {
    std::unique_ptr<WPort> port;
    explicit Made(int type, int mode) : port(newPort(type, mode)) {}
};

TEST(NetFactory, TcpKindOffersFourModes) {
    const char *modes[] = {"WNet", "WNetA", "WNetE", "WNetW"};
    for (int mode = 0; mode < 4; ++mode) {
        Made m(kIfNet, mode);
        ASSERT_NE(m.port, nullptr) << modes[mode];
        EXPECT_EQ(m.port->getIFType(), kIfNet);
        EXPECT_EQ(m.port->getIOMode(), mode == 3 ? 0 : mode) << modes[mode];
        // WNetW is the only one that keeps a queue kind and answers the root's count.
        int kind = -1;
        EXPECT_EQ(m.port->getSendQueueType(&kind), mode == 0 ? kNotSupported : kOk) << modes[mode];
    }
    EXPECT_EQ(newPort(kIfNet, 4), nullptr);
    EXPECT_EQ(newPort(kIfNet, -1), nullptr);
}

TEST(NetFactory, PrinterKindOffersThreeModes) {
    for (int mode = 0; mode < 3; ++mode) {
        Made m(kIfVqnet, mode);
        ASSERT_NE(m.port, nullptr) << mode;
        EXPECT_EQ(m.port->getIFType(), kIfVqnet);
        EXPECT_EQ(m.port->getIOMode(), mode);
    }
    EXPECT_EQ(newPort(kIfVqnet, 3), nullptr);
    EXPECT_EQ(newPort(kIfVqnet, 7), nullptr);
}

TEST(NetFactory, TargetGivesAddressAndOptionalPort) {
    int h = PtlOpenByName("VQNET@127.10.0.200", 0);
    ASSERT_NE(h, -1);
    int no = 0;
    EXPECT_EQ(PtlGetPortNo(h, &no), 0);
    EXPECT_EQ(no, 9100);
    EXPECT_STREQ(PtlGetIFName(h), "VQNET");
    PtlClose(h);
    h = PtlOpenByName("VQNET9123@127.10.0.200", 1);
    ASSERT_NE(h, -1);
    EXPECT_EQ(PtlGetPortNo(h, &no), 0);
    EXPECT_EQ(no, 9123);
    PtlClose(h);
    EXPECT_EQ(PtlOpenByName("VQNET@127.10.0.200", 3), -1);
}

} // namespace
