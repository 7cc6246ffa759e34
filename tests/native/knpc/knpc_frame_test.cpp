// The control protocol's bytes on the wire and the reply rules the ports rely on.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "net/KnpcFrame.h"

namespace knpc = ptl::knpc;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes bytes(std::initializer_list<int> v) {
    Bytes b;
    for (int x : v)
        b.push_back(static_cast<uint8_t>(x));
    return b;
}

Bytes request(size_t (*build)(uint8_t *)) {
    uint8_t buf[32];
    size_t n = build(buf);
    return Bytes(buf, buf + n);
}

Bytes forceRequest(bool on) {
    uint8_t buf[32];
    size_t n = knpc::buildForce(on, buf);
    return Bytes(buf, buf + n);
}

// A reply as a printer sends it: header with the lower-case kind, the request's code, result and data.
Bytes reply(const Bytes &req, int result, const Bytes &data) {
    knpc::Request r;
    EXPECT_TRUE(knpc::parseRequest(req.data(), req.size(), &r));
    uint8_t out[600];
    size_t n = knpc::buildReply(r, static_cast<uint16_t>(result), data.data(), data.size(), out, sizeof out);
    return Bytes(out, out + n);
}

bool matches(const Bytes &req, const Bytes &rep) {
    return knpc::replyMatches(req.data(), req.size(), rep.data(), rep.size());
}

} // namespace

TEST(KnpcRequest, ExactBytesOfEveryRequest) {
    EXPECT_EQ(request(knpc::buildReset), bytes({'K', 'A', 'V', 'R', 'O', 'C', 3, 0, 0, 0x12, 0, 0, 0, 1, 1}));
    EXPECT_EQ(forceRequest(true), bytes({'K', 'A', 'V', 'R', 'O', 'C', 3, 0, 0, 0x15, 0, 0, 0, 1, 1}));
    EXPECT_EQ(forceRequest(false), bytes({'K', 'A', 'V', 'R', 'O', 'C', 3, 0, 0, 0x15, 0, 0, 0, 1, 0}));
    EXPECT_EQ(request(knpc::buildInfo), bytes({'K', 'A', 'V', 'R', 'O', 'Q', 3, 0, 0, 0x00, 0, 0, 0, 0}));
    EXPECT_EQ(request(knpc::buildId), bytes({'K', 'A', 'V', 'R', 'O', 'Q', 3, 0, 0, 0x10, 0, 0, 0, 0}));
    EXPECT_EQ(request(knpc::buildCheck), bytes({'K', 'A', 'V', 'R', 'O', 'Q', 3, 0, 0, 0x17, 0, 0, 0, 0}));
}

TEST(KnpcRequest, BuilderRefusesWhatDoesNotFit) {
    uint8_t out[16];
    const uint8_t data[3] = {1, 2, 3};
    EXPECT_EQ(knpc::buildRequest('C', 1, data, 3, out, 16), 0u); // 17 bytes needed
    EXPECT_EQ(knpc::buildRequest('C', 1, data, 2, out, 16), 16u);
    EXPECT_EQ(knpc::buildRequest('C', 1, nullptr, 0, out, 13), 0u);
    std::vector<uint8_t> big(0x10000 + knpc::kHeaderSize);
    std::vector<uint8_t> payload(0x10000);
    EXPECT_EQ(knpc::buildRequest('C', 1, payload.data(), payload.size(), big.data(), big.size()), 0u);
}

// The header decides, whatever the length: a bare header, or a long refusal, is still the answer.
TEST(KnpcMatch, WrongKindCodeMagicOrShortIsNoAnswer) {
    Bytes req = request(knpc::buildCheck);
    Bytes good = reply(req, 0, {0, 0, 0, 0});
    ASSERT_TRUE(matches(req, good));
    EXPECT_TRUE(matches(req, reply(req, 0, {})));
    EXPECT_TRUE(matches(req, reply(req, 7, Bytes(300, 9))));
    for (int i : {0, 5, 6, 7, 8, 9}) { // the magic, the kind in upper case, each byte of the code
        Bytes bad = good;
        bad[i] ^= i == 5 ? 0x20 : 0x01;
        EXPECT_FALSE(matches(req, bad)) << "byte " << i;
    }
    EXPECT_FALSE(matches(req, Bytes(good.begin(), good.begin() + 13)));
    // The reply of another request (info instead of check) is not this one's.
    EXPECT_FALSE(matches(req, reply(request(knpc::buildInfo), 0, Bytes(133, 'x'))));
}

TEST(KnpcMatch, OnlyKnownRequestKindsHaveAnswers) {
    for (char kind : {'C', 'I', 'P', 'Q', 'S', 'A', 'R', 'Z'}) {
        uint8_t req[16];
        Bytes r(req, req + knpc::buildRequest(kind, 1, nullptr, 0, req, sizeof req));
        EXPECT_EQ(matches(r, reply(r, 0, {})), strchr("CIPQS", kind) != nullptr) << kind;
    }
}

TEST(KnpcReply, ResultAndDataByte) {
    Bytes req = forceRequest(true);
    EXPECT_EQ(knpc::replyResult(reply(req, 0, {1}).data(), 15), 0);
    Bytes refused = reply(req, 0x0102, {1});
    EXPECT_EQ(knpc::replyResult(refused.data(), refused.size()), 0x0102);
    EXPECT_EQ(knpc::replyResult(refused.data(), 13), -1);
    EXPECT_EQ(knpc::replyDataByte(refused.data(), refused.size()), 1);
    EXPECT_EQ(knpc::replyDataByte(refused.data(), 14), -1);
}

// The lengths, the cut at the first zero and the untouched buffer of a refusal: the printer port tests.
// Here: a text of the whole 133 characters without a zero still gets its terminator.
TEST(KnpcReply, TextWithoutAZeroIsTerminated) {
    Bytes full = reply(request(knpc::buildInfo), 0, Bytes(133, 'B'));
    char text[200];
    std::memset(text, '#', sizeof text);
    ASSERT_TRUE(
        knpc::copyReplyText(full.data(), full.size(), knpc::kInfoReplySize, knpc::kInfoTextMax, text));
    EXPECT_EQ(std::string(text), std::string(133, 'B'));
}

// The fields read are what every simulated printer answers with (the network port tests); here: what is
// refused.
TEST(KnpcPrinterSide, RefusesGarbage) {
    Bytes req = forceRequest(true);
    knpc::Request r;
    ASSERT_TRUE(knpc::parseRequest(req.data(), req.size(), &r));
    EXPECT_FALSE(knpc::parseRequest(req.data(), 13, &r));
    Bytes lower = req;
    lower[5] = 'c'; // a reply, not a request
    EXPECT_FALSE(knpc::parseRequest(lower.data(), lower.size(), &r));
    Bytes magic = req;
    magic[4] = 'X';
    EXPECT_FALSE(knpc::parseRequest(magic.data(), magic.size(), &r));
}
