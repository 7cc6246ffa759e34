#include "proto/AeaFrame.h"

namespace ptl {

namespace {

uint8_t rotateRight(uint8_t v) {
    return static_cast<uint8_t>((v >> 1) | (v << 7));
}

} // namespace

bool isAeaFraming(int framing) {
    return framing == kAeaUltra || framing == kAeaResa || framing == kAeaSita;
}

bool isAeaControl(uint8_t b) {
    return b == kStx || b == kEtx || b == kAck || b == kDle || b == kNak || b == kEtb;
}

size_t buildAeaFrame(int framing, uint32_t blockCounter, const uint8_t *data, size_t n, bool last,
                     uint8_t *out) {
    if (!isAeaFraming(framing) || n > kAeaBlockSize)
        return 0;
    size_t len = 0;
    out[len++] = kStx;
    const uint8_t header = static_cast<uint8_t>(0x30 | (blockCounter & 1));
    if (framing != kAeaUltra)
        out[len++] = header;
    // The checks run over the data as given; the escapes are not part of them.
    uint8_t bcc = header;
    uint8_t rot = header;
    for (size_t i = 0; i < n; ++i) {
        if (isAeaControl(data[i]))
            out[len++] = kDle;
        out[len++] = data[i];
        bcc ^= data[i];
        rot = rotateRight(rot) ^ data[i];
    }
    if (framing == kAeaResa) {
        const uint8_t terminator = last ? kEtb : kEtx;
        out[len++] = terminator;
        out[len++] = static_cast<uint8_t>(bcc ^ terminator);
    } else {
        out[len++] = kEtx;
        if (framing == kAeaSita) {
            out[len++] = bcc;
            out[len++] = static_cast<uint8_t>(rotateRight(rot) ^ kEtx);
        }
    }
    return len;
}

bool unframeAea(const uint8_t *in, size_t n, uint8_t *out, size_t size, size_t *got) {
    *got = 0;
    if (n < 2 || in[0] != kStx || in[n - 1] != kEtx)
        return false;
    size_t stored = 0;
    for (size_t i = 1; i < n - 1; ++i) {
        if (in[i] == kDle) {
            // A DLE right before the closing ETX escapes it: the frame has not ended.
            if (++i == n - 1)
                return false;
        }
        if (stored < size)
            out[stored++] = in[i];
    }
    *got = stored;
    return true;
}

} // namespace ptl
