// Frame builders, CRC, the IBMFP reply reader and the AEA unframer, byte for byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "proto/AeaFrame.h"
#include "proto/IbmFrame.h"

namespace ptl {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes ibmFrame(uint8_t type, uint8_t control) {
    Bytes f(kIbmFrameSize);
    buildIbmFrame(type, control, f.data());
    return f;
}

// A reply with the given type, control and data, its CRC computed; total length = data + 9.
Bytes reply(uint8_t type, uint8_t control, const Bytes &data) {
    const size_t length = data.size() + 4;
    Bytes f = {0x1B, 0x5B, 0x63, static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8), type, control};
    f.insert(f.end(), data.begin(), data.end());
    const uint16_t crc = crc16x25(f.data(), f.size());
    f.push_back(static_cast<uint8_t>(crc));
    f.push_back(static_cast<uint8_t>(crc >> 8));
    return f;
}

// Feeds bytes until the reader decides; kIbmMore when they run out first. *used: bytes taken.
int readAll(IbmReplyReader &r, const Bytes &in, size_t *used = nullptr) {
    r.begin();
    int code = kIbmMore;
    size_t i = 0;
    while (code == kIbmMore && i < in.size())
        code = r.feed(in[i++]);
    if (used != nullptr)
        *used = i;
    return code;
}

TEST(IbmFrame, CrcAndTheFramesThisSideSends) {
    const std::string check = "123456789";
    EXPECT_EQ(crc16x25(reinterpret_cast<const uint8_t *>(check.data()), check.size()), 0x906E);
    EXPECT_EQ(ibmFrame(kIbmTypeReset, kIbmResetControl),
              (Bytes{0x1B, 0x5B, 0x63, 4, 0, 0, 0xCC, 0x8C, 0xE0}));
    EXPECT_EQ(ibmFrame(kIbmTypeStatus, 0xCD), (Bytes{0x1B, 0x5B, 0x63, 4, 0, 1, 0xCD, 0xDD, 0xE8}));
    EXPECT_EQ(ibmFrame(kIbmTypeStatus, 0xDD), (Bytes{0x1B, 0x5B, 0x63, 4, 0, 1, 0xDD, 0x5C, 0xF8}));
}

TEST(IbmFrame, ReplyCodes) {
    Bytes crcLow = reply(1, 0x8D, {1, 2, 3}), crcHigh = crcLow;
    crcLow[crcLow.size() - 2] ^= 1;
    crcHigh.back() ^= 1;
    const struct {
        Bytes in;
        int code;
        size_t used;
    } cases[] = {
        {reply(1, 0x8D, {}), 9, 9},
        {reply(2, 0x9D, {0x80, 0, 1, 2, 3}), 14, 14},
        {reply(1, 0xFD, Bytes(252)), 261, 261}, // L = 256
        {{0x1C}, kIbmBadStart, 1},
        {{0x1B, 0x5B, 0x64}, kIbmBadStart, 3},
        {{0x1B, 0x5B, 0x63, 3, 0, 9, 9}, kIbmBadLength, 5},
        {{0x1B, 0x5B, 0x63, 0x01, 0x01, 9}, kIbmBadLength, 5}, // L = 257
        {crcLow, kIbmCrcLow, 12},
        {crcHigh, kIbmCrcHigh, 12},
        {reply(0, 0x8D, {}), kIbmBadType, 9},
        {reply(3, 0x8D, {}), kIbmBadType, 9},
        {reply(1, 0x8C, {}), kIbmBadControl, 9},
        {reply(1, 0x8D, {}), 9, 9},
    };
    IbmReplyReader r;
    for (const auto &c : cases) {
        size_t used = 0;
        EXPECT_EQ(readAll(r, c.in, &used), c.code) << testing::PrintToString(c.in);
        EXPECT_EQ(used, c.used);
    }
    r.begin();
    EXPECT_EQ(r.readError(kIbmLineError), kIbmLineError);
    EXPECT_EQ(r.readError(kIbmBadStart), kIbmBadStart);
    r.feed(0x1B), r.feed(0x5B), r.feed(0x63);
    EXPECT_EQ(r.readError(kIbmBadStart), kIbmLineError); // past the start bytes every failure is -1
}

TEST(IbmFrame, PorAndStatusReplies) {
    IbmReplyReader r;
    EXPECT_EQ(readAll(r, reply(1, 0x9D, {0x80, 0, 0xA1, 0xB2, 0xC3})), 14);
    EXPECT_TRUE(r.isPorReport(14));
    EXPECT_EQ(r.frame()[9], 0xA1);
    EXPECT_EQ(r.control() & kIbmAckBit, kIbmAckBit);
    EXPECT_EQ(readAll(r, reply(1, 0x8D, {0x80, 0, 0xA1, 0xB2})), 13);
    EXPECT_FALSE(r.isPorReport(13));
    EXPECT_EQ(readAll(r, reply(1, 0x8D, {0x81, 0, 0xA1, 0xB2, 0xC3})), 14);
    EXPECT_FALSE(r.isPorReport(14));
    EXPECT_FALSE(IbmReplyReader::carriesStatus(11));
    EXPECT_TRUE(IbmReplyReader::carriesStatus(12));
}

Bytes aea(int framing, uint32_t counter, const Bytes &data, bool last = true) {
    Bytes out(kAeaMaxFrame);
    out.resize(buildAeaFrame(framing, counter, data.data(), data.size(), last, out.data()));
    return out;
}

TEST(AeaFrame, Framings) {
    EXPECT_EQ(aea(kAeaUltra, 0, {0x41, 0x02, 0x42}), (Bytes{2, 0x41, 0x10, 0x02, 0x42, 3}));
    EXPECT_EQ(aea(kAeaResa, 0, {0x41, 0x42}), (Bytes{2, 0x30, 0x41, 0x42, 0x17, 0x24}));
    EXPECT_EQ(aea(kAeaResa, 1, {0x41, 0x42}, false),
              (Bytes{2, 0x31, 0x41, 0x42, 0x03, 0x31 ^ 0x41 ^ 0x42 ^ 3}));
    EXPECT_EQ(aea(kAeaSita, 0, {0x41}), (Bytes{2, 0x30, 0x41, 3, 0x71, 0xAF}));
    // Every control character is escaped in every framing; the checks ignore the escapes.
    for (uint8_t c : {0x02, 0x03, 0x06, 0x10, 0x15, 0x17}) {
        EXPECT_EQ(aea(kAeaUltra, 0, {c}), (Bytes{2, 0x10, c, 3}));
        EXPECT_EQ(aea(kAeaResa, 0, {c}),
                  (Bytes{2, 0x30, 0x10, c, 0x17, static_cast<uint8_t>(0x30 ^ c ^ 0x17)}));
        EXPECT_EQ(aea(kAeaSita, 2, {c}).size(), 7u);
    }
    EXPECT_EQ(aea(kAeaSita, 0, {}), (Bytes{2, 0x30, 3, 0x30, 0x18 ^ 3}));
    EXPECT_EQ(aea(kAeaSita, 0, Bytes(512, 0x10)).size(), kAeaMaxFrame);
    EXPECT_TRUE(aea(kAeaSita, 0, Bytes(513, 0x41)).empty());
    EXPECT_TRUE(aea(3, 0, {0x41}).empty());
}

TEST(AeaFrame, Unframe) {
    const struct {
        Bytes in;
        bool ok;
        Bytes payload;
    } cases[] = {
        {{2, 0x41, 0x10, 3, 0x42, 3}, true, {0x41, 3, 0x42}},
        {{2, 3}, true, {}},
        {{2, 0x10, 0x10, 3}, true, {0x10}},
        {{2, 0x41, 0x10, 3}, false, {}}, // the closing ETX is escaped
        {{2, 0x41}, false, {}},
        {{0x41, 3}, false, {}},
        {{3}, false, {}},
    };
    for (const auto &c : cases) {
        uint8_t out[8];
        size_t got = 99;
        EXPECT_EQ(unframeAea(c.in.data(), c.in.size(), out, sizeof out, &got), c.ok);
        EXPECT_EQ(Bytes(out, out + got), c.payload);
    }
    const Bytes in = {2, 1, 2, 3, 4, 3};
    uint8_t out[2];
    size_t got = 0;
    EXPECT_TRUE(unframeAea(in.data(), in.size(), out, 2, &got));
    EXPECT_EQ(got, 2u); // what was stored, never more
}

} // namespace
} // namespace ptl
