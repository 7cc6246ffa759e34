// Arbitrary datagrams against the control channel's reply rules and the simulator's request reader: no read
// past the datagram, texts never longer than their limit, and a matching reply always has a header.
#include <cstdint>
#include <cstring>
#include <vector>

#include "net/KnpcFrame.h"

namespace knpc = ptl::knpc;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // Exact-size copy so that the sanitizer sees any read past the end.
    std::vector<uint8_t> reply(data, data + size);
    uint8_t requests[5][knpc::kControlRequestSize];
    size_t lens[5] = {knpc::buildReset(requests[0]), knpc::buildForce(size & 1, requests[1]),
                      knpc::buildInfo(requests[2]), knpc::buildId(requests[3]),
                      knpc::buildCheck(requests[4])};
    for (int i = 0; i < 5; ++i) {
        bool m = knpc::replyMatches(requests[i], lens[i], reply.data(), reply.size());
        if (m && (reply.size() < knpc::kHeaderSize || knpc::replyResult(reply.data(), reply.size()) < 0))
            __builtin_trap();
    }
    knpc::replyDataByte(reply.data(), reply.size());

    char text[knpc::kInfoTextMax + 1];
    std::memset(text, 0x7F, sizeof text);
    if (knpc::copyReplyText(reply.data(), reply.size(), knpc::kInfoReplySize, knpc::kInfoTextMax, text) &&
        std::strlen(text) > knpc::kInfoTextMax)
        __builtin_trap();
    char id[knpc::kIdTextMax + 1];
    if (knpc::copyReplyText(reply.data(), reply.size(), knpc::kIdReplySize, knpc::kIdTextMax, id) &&
        std::strlen(id) > knpc::kIdTextMax)
        __builtin_trap();

    knpc::Request r;
    if (knpc::parseRequest(reply.data(), reply.size(), &r)) {
        if (r.data + r.dataAvail != reply.data() + reply.size())
            __builtin_trap();
        uint8_t out[knpc::kMaxDatagram];
        size_t n = knpc::buildReply(r, 0, r.data, r.dataAvail, out, sizeof out);
        if (n != 0 && !knpc::replyMatches(reply.data(), reply.size(), out, n) &&
            (r.kind == 'C' || r.kind == 'I' || r.kind == 'P' || r.kind == 'Q' || r.kind == 'S'))
            __builtin_trap();
    }
    return 0;
}
