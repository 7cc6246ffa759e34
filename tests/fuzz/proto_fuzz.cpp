// IBMFP replies and AEA frames from arbitrary bytes: the reader stays inside its buffer and hands back
// only whole frames, and an ULTRA frame of any block unframes to that block again.
#include <cstring>
#include <vector>

#include "proto/AeaFrame.h"
#include "proto/IbmFrame.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    ptl::IbmReplyReader reader;
    reader.begin();
    for (size_t i = 0; i < size; ++i) {
        const int code = reader.feed(data[i]);
        if (code > 0 && (code < 9 || code > 261))
            __builtin_trap();
        if (code != ptl::kIbmMore)
            reader.begin();
    }
    std::vector<uint8_t> payload(size + 1);
    size_t got = 0;
    ptl::unframeAea(data, size, payload.data(), size, &got);
    const size_t n = size < ptl::kAeaBlockSize ? size : ptl::kAeaBlockSize;
    uint8_t frame[ptl::kAeaMaxFrame];
    for (int framing : {ptl::kAeaResa, ptl::kAeaSita, ptl::kAeaUltra}) {
        const size_t len = ptl::buildAeaFrame(framing, static_cast<uint32_t>(size), data, n, true, frame);
        if (len < n + 2 ||
            (framing == ptl::kAeaUltra && (!ptl::unframeAea(frame, len, payload.data(), n, &got) ||
                                           got != n || std::memcmp(payload.data(), data, n) != 0)))
            __builtin_trap();
    }
    return 0;
}
