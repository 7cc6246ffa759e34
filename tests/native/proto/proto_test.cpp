// The frames the framed serial ports write, byte for byte, and the AEA unframer. (The reply reader's
// codes are checked through the IBMFP port against its simulated printer, and fuzzed.)
#include <gtest/gtest.h>

#include <string>

#include "proto/AeaFrame.h"
#include "proto/IbmFrame.h"

namespace ptl {
namespace {

using Bytes = std::basic_string<uint8_t>;

TEST(IbmFrame, CrcAndTheFramesThisSideSends) {
    const Bytes check = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(crc16x25(check.data(), check.size()), 0x906E);
    const struct {
        uint8_t type, control, crcLow, crcHigh;
    } frames[] = {{0, 0xCC, 0x8C, 0xE0}, {1, 0xCD, 0xDD, 0xE8}, {1, 0xDD, 0x5C, 0xF8}};
    for (const auto &f : frames) {
        Bytes out(kIbmFrameSize, 0);
        buildIbmFrame(f.type, f.control, out.data());
        EXPECT_EQ(out, (Bytes{0x1B, 0x5B, 0x63, 4, 0, f.type, f.control, f.crcLow, f.crcHigh}));
    }
}

// The last block of a job, with counter 0.
Bytes aea(int framing, const Bytes &data) {
    Bytes out(kAeaMaxFrame, 0);
    out.resize(buildAeaFrame(framing, 0, data.data(), data.size(), true, out.data()));
    return out;
}

// A frame of each framing, a last and a middle block, and an unknown framing: the AEA port's
// HeadersFollowTheClaimAndBlocksOfASend. Here: every escape, an empty SITA block and the size edges.
TEST(AeaFrame, FramingsChecksAndEscapes) {
    EXPECT_EQ(aea(kAeaSita, {}), (Bytes{2, 0x30, 3, 0x30, 0x1B}));
    // Every control character is escaped in every framing; the checks ignore the escapes.
    for (uint8_t c : {0x02, 0x03, 0x06, 0x10, 0x15, 0x17}) {
        EXPECT_EQ(aea(kAeaUltra, {c}), (Bytes{2, 0x10, c, 3}));
        EXPECT_EQ(aea(kAeaResa, {c}), (Bytes{2, 0x30, 0x10, c, 0x17, uint8_t(0x30 ^ c ^ 0x17)}));
        EXPECT_EQ(aea(kAeaSita, {c}).substr(0, 5), (Bytes{2, 0x30, 0x10, c, 3}));
    }
    EXPECT_EQ(aea(kAeaSita, Bytes(512, 0x10)).size(), kAeaMaxFrame);
    EXPECT_TRUE(aea(kAeaSita, Bytes(513, 0x41)).empty());
}

// An escaped byte and an escaped closing ETX: the AEA port's receive test.
TEST(AeaFrame, Unframe) {
    const struct {
        Bytes in;
        bool ok;
        Bytes payload;
    } cases[] = {
        {{2, 3}, true, {}},     {{2, 1, 2, 3, 4, 5, 3}, true, {1, 2, 3, 4}}, // no more than the buffer holds
        {{2, 0x41}, false, {}}, {{0x41, 3}, false, {}},
        {{3}, false, {}},
    };
    for (const auto &c : cases) {
        uint8_t out[4];
        size_t got = 99;
        EXPECT_EQ(unframeAea(c.in.data(), c.in.size(), out, sizeof out, &got), c.ok);
        EXPECT_EQ(Bytes(out, got), c.payload);
    }
}

} // namespace
} // namespace ptl
