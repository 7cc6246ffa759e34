// The factory rows of the network kinds and what PtlOpenByName hands the printer network port.
#include <gtest/gtest.h>

#include "api/Factory.h"
#include "core/Target.h"
#include "port/WPort.h"
#include "ptl/ptl.h"

namespace {

using namespace ptl;

// The TCP kind has four modes (WNetW's I/O mode is 0), the printer kind three; of the TCP ports only the
// synchronous one lacks a queue kind.
TEST(NetFactory, ModesOfEachKind) {
    for (const auto &[type, modes] : {std::pair{kIfNet, 4}, std::pair{kIfVqnet, 3}}) {
        for (int mode = -1; mode <= modes; ++mode) {
            auto port = newPort(type, mode);
            if (mode < 0 || mode == modes) {
                EXPECT_EQ(port, nullptr) << type << " " << mode;
                continue;
            }
            ASSERT_NE(port, nullptr) << type << " " << mode;
            EXPECT_EQ(port->getIFType(), type);
            EXPECT_EQ(port->getIOMode(), mode == 3 ? 0 : mode);
            int kind = -1;
            EXPECT_TRUE(type != kIfNet || port->getSendQueueType(&kind) == (mode == 0 ? kNotSupported : kOk))
                << mode;
        }
    }
}

// The port number: 9100 unless given before the "@".
TEST(NetFactory, TargetGivesAddressAndOptionalPort) {
    for (const auto &[target, no] :
         {std::pair{"VQNET@127.10.0.200", 9100}, std::pair{"VQNET9123@127.10.0.200", 9123}}) {
        const int h = PtlOpenByName(target, 1);
        int got = 0;
        EXPECT_EQ(PtlGetPortNo(h, &got), 0);
        EXPECT_EQ(got, no);
        EXPECT_STREQ(PtlGetIFName(h), "VQNET");
        PtlClose(h);
    }
}

} // namespace
