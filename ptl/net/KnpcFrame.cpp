#include "net/KnpcFrame.h"

#include <cstring>

namespace ptl::knpc {

namespace {

void putHeader(uint8_t *out, char kind, const uint8_t code[4], uint16_t result, uint16_t dataLen) {
    std::memcpy(out, kMagic, sizeof kMagic);
    out[5] = static_cast<uint8_t>(kind);
    std::memcpy(out + 6, code, 4);
    out[10] = static_cast<uint8_t>(result >> 8);
    out[11] = static_cast<uint8_t>(result & 0xFF);
    out[12] = static_cast<uint8_t>(dataLen >> 8);
    out[13] = static_cast<uint8_t>(dataLen & 0xFF);
}

bool hasMagic(const uint8_t *p) {
    return std::memcmp(p, kMagic, sizeof kMagic) == 0;
}

// Only these request kinds have a defined reply kind.
bool isKnownKind(uint8_t k) {
    return k == 'C' || k == 'I' || k == 'P' || k == 'Q' || k == 'S';
}

} // namespace

size_t buildRequest(char kind, uint8_t command, const uint8_t *data, size_t dataLen, uint8_t *out,
                    size_t outSize) {
    if (dataLen > 0xFFFF || outSize < kHeaderSize || outSize - kHeaderSize < dataLen)
        return 0;
    const uint8_t code[4] = {kCodeLead, 0, 0, command};
    putHeader(out, kind, code, 0, static_cast<uint16_t>(dataLen));
    if (dataLen > 0)
        std::memcpy(out + kHeaderSize, data, dataLen);
    return kHeaderSize + dataLen;
}

size_t buildReset(uint8_t *out) {
    const uint8_t one = 1;
    return buildRequest(kKindControl, kCmdReset, &one, 1, out, kControlRequestSize);
}

size_t buildForce(bool on, uint8_t *out) {
    const uint8_t b = on ? 1 : 0;
    return buildRequest(kKindControl, kCmdForce, &b, 1, out, kControlRequestSize);
}

size_t buildInfo(uint8_t *out) {
    return buildRequest(kKindQuery, kCmdInfo, nullptr, 0, out, kQueryRequestSize);
}
size_t buildId(uint8_t *out) {
    return buildRequest(kKindQuery, kCmdId, nullptr, 0, out, kQueryRequestSize);
}
size_t buildCheck(uint8_t *out) {
    return buildRequest(kKindQuery, kCmdCheck, nullptr, 0, out, kQueryRequestSize);
}

bool replyMatches(const uint8_t *request, size_t requestLen, const uint8_t *reply, size_t replyLen) {
    if (requestLen < kHeaderSize || replyLen < kHeaderSize)
        return false;
    if (!hasMagic(reply))
        return false;
    if (!isKnownKind(request[5]) || reply[5] != request[5] + ('a' - 'A'))
        return false;
    return std::memcmp(reply + 6, request + 6, 4) == 0;
}

int replyResult(const uint8_t *reply, size_t replyLen) {
    if (replyLen < kHeaderSize)
        return -1;
    return (reply[10] << 8) | reply[11];
}

int replyDataByte(const uint8_t *reply, size_t replyLen) {
    if (replyLen <= kHeaderSize)
        return -1;
    return reply[kHeaderSize];
}

bool copyReplyText(const uint8_t *reply, size_t replyLen, size_t wantLen, size_t maxChars, char *text) {
    if (replyLen != wantLen || replyLen < kHeaderSize)
        return false;
    const size_t avail = replyLen - kHeaderSize;
    size_t n = 0;
    while (n < maxChars && n < avail && reply[kHeaderSize + n] != 0) {
        text[n] = static_cast<char>(reply[kHeaderSize + n]);
        ++n;
    }
    text[n] = '\0';
    return true;
}

bool parseRequest(const uint8_t *p, size_t n, Request *r) {
    if (n < kHeaderSize || !hasMagic(p))
        return false;
    if (p[5] < 'A' || p[5] > 'Z')
        return false;
    r->kind = static_cast<char>(p[5]);
    std::memcpy(r->code, p + 6, 4);
    r->dataLen = static_cast<uint16_t>((p[12] << 8) | p[13]);
    r->data = p + kHeaderSize;
    r->dataAvail = n - kHeaderSize;
    return true;
}

size_t buildReply(const Request &r, uint16_t result, const uint8_t *data, size_t dataLen, uint8_t *out,
                  size_t outSize) {
    if (dataLen > 0xFFFF || outSize < kHeaderSize || outSize - kHeaderSize < dataLen)
        return 0;
    putHeader(out, static_cast<char>(r.kind + ('a' - 'A')), r.code, result, static_cast<uint16_t>(dataLen));
    if (dataLen > 0)
        std::memcpy(out + kHeaderSize, data, dataLen);
    return kHeaderSize + dataLen;
}

} // namespace ptl::knpc
