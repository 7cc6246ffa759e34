// IBMFP replies and AEA frames from arbitrary bytes: the reader never reads or writes past its buffer,
// and an ULTRA frame built from any block unframes to that block again.
#include <cstring>
#include <vector>

#include "proto/AeaFrame.h"
#include "proto/IbmFrame.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    ptl::IbmReplyReader reader;
    reader.begin();
    for (size_t i = 0; i < size; ++i) {
        const int code = reader.feed(data[i]);
        if (code > 0 && (code < 9 || code > 261 || reader.frame()[0] != 0x1B))
            __builtin_trap();
        if (code != ptl::kIbmMore)
            reader.begin();
    }

    std::vector<uint8_t> payload(size);
    size_t got = 0;
    ptl::unframeAea(data, size, payload.data(), payload.size(), &got);

    const size_t n = size < ptl::kAeaBlockSize ? size : ptl::kAeaBlockSize;
    uint8_t frame[ptl::kAeaMaxFrame];
    for (int framing = 0; framing < 3; ++framing) {
        const size_t len = ptl::buildAeaFrame(framing, static_cast<uint32_t>(size), data, n, true, frame);
        if (len < n + 2 || len > ptl::kAeaMaxFrame)
            __builtin_trap();
    }
    const size_t len = ptl::buildAeaFrame(ptl::kAeaUltra, 0, data, n, true, frame);
    if (!ptl::unframeAea(frame, len, payload.data(), payload.size(), &got) || got != n ||
        (n > 0 && std::memcmp(payload.data(), data, n) != 0))
        __builtin_trap();
    return 0;
}
