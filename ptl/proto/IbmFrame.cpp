#include "proto/IbmFrame.h"

namespace ptl {

namespace {

constexpr uint8_t kStart[3] = {0x1B, 0x5B, 0x63};
constexpr size_t kMinLength = 4;
constexpr size_t kMaxLength = 256;

} // namespace

uint16_t crc16x25(const uint8_t *data, size_t n) {
    uint16_t crc = 0xFFFF;
    for (size_t i = 0; i < n; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0x8408) : static_cast<uint16_t>(crc >> 1);
    }
    return static_cast<uint16_t>(crc ^ 0xFFFF);
}

void buildIbmFrame(uint8_t type, uint8_t control, uint8_t out[kIbmFrameSize]) {
    out[0] = kStart[0];
    out[1] = kStart[1];
    out[2] = kStart[2];
    out[3] = static_cast<uint8_t>(kMinLength);
    out[4] = 0;
    out[5] = type;
    out[6] = control;
    const uint16_t crc = crc16x25(out, 7);
    out[7] = static_cast<uint8_t>(crc & 0xFF);
    out[8] = static_cast<uint8_t>(crc >> 8);
}

IbmReplyReader::IbmReplyReader() {
    buf_[0] = kStart[0];
    buf_[1] = kStart[1];
    buf_[2] = kStart[2];
}

int IbmReplyReader::feed(uint8_t b) {
    if (pos_ < 3) {
        if (b != kStart[pos_])
            return kIbmBadStart;
        buf_[pos_++] = b;
        return kIbmMore;
    }
    buf_[pos_++] = b;
    if (pos_ == 5) {
        const size_t length = buf_[3] | (static_cast<size_t>(buf_[4]) << 8);
        if (length < kMinLength || length > kMaxLength)
            return kIbmBadLength;
        total_ = length + 5;
        return kIbmMore;
    }
    if (pos_ < 5 || pos_ < total_)
        return kIbmMore;
    const size_t crcAt = total_ - 2;
    const uint16_t crc = crc16x25(buf_, crcAt);
    if ((crc & 0xFF) != buf_[crcAt])
        return kIbmCrcLow;
    if ((crc >> 8) != buf_[crcAt + 1])
        return kIbmCrcHigh;
    if (buf_[5] == 0 || buf_[5] > 2)
        return kIbmBadType;
    if ((buf_[6] & 0x8F) != 0x8D)
        return kIbmBadControl;
    return static_cast<int>(total_);
}

int IbmReplyReader::readError(int rawError) const {
    return pos_ < 3 && rawError != kIbmLineError ? kIbmBadStart : kIbmLineError;
}

bool IbmReplyReader::isPorReport(int total) const {
    return total >= 14 && buf_[7] == 0x80 && buf_[8] == 0x00;
}

} // namespace ptl
