// The framed link protocol of IBMFP printers: 9-byte link reset and status request frames, the
// CRC-16/X-25 that closes every frame, and a reader that takes a reply one byte at a time, as the RTS
// handshake delivers it.
//
// Frame: 1B 5B 63, length L (2 bytes, little-endian: the bytes after it, CRC included, 4..256), type,
// control, data, CRC over everything before it (low byte first).
#pragma once

#include <cstddef>
#include <cstdint>

namespace ptl {

// CRC-16/X-25: reflected polynomial 0x8408, initial 0xFFFF, final XOR 0xFFFF ("123456789" -> 0x906E).
uint16_t crc16x25(const uint8_t *data, size_t n);

constexpr size_t kIbmFrameSize = 9; // the frames this side sends carry no data
constexpr uint8_t kIbmTypeReset = 0x00;
constexpr uint8_t kIbmTypeStatus = 0x01;
constexpr uint8_t kIbmResetControl = 0xCC;
constexpr uint8_t kIbmStatusControl = 0xC5;
constexpr uint8_t kIbmRequestBits = 0x08;
constexpr uint8_t kIbmAckBit = 0x10;

// A frame without data: 1B 5B 63 04 00 type control crc-low crc-high.
void buildIbmFrame(uint8_t type, uint8_t control, uint8_t out[kIbmFrameSize]);

// getReply's results below 0.
constexpr int kIbmLineError = -1;  // the handshake itself failed
constexpr int kIbmBadStart = -2;   // a start byte differed, or no byte came
constexpr int kIbmBadLength = -3;  // L outside 4..256
constexpr int kIbmCrcLow = -44;    // low CRC byte differs
constexpr int kIbmCrcHigh = -55;   // high CRC byte differs
constexpr int kIbmBadType = -5;    // frame type 0 or above 2
constexpr int kIbmBadControl = -6; // (control AND 0x8F) != 0x8D
constexpr int kIbmMore = 0;        // the frame is not complete yet

// Reads one reply frame into its buffer. feed() answers kIbmMore until the frame is complete (then its
// total length L + 5) or wrong (a negative code above); after that the next begin() starts a new frame.
class IbmReplyReader {
public:
    static constexpr size_t kBufferSize = 512;

    IbmReplyReader();
    void begin() { pos_ = 0; }
    int feed(uint8_t b);
    // The code for a byte that could not be read at the current position: rawError is -1 (the line
    // handshake failed) or -2 (nothing read). A start byte that is not there counts as a wrong one.
    int readError(int rawError) const;

    const uint8_t *frame() const { return buf_; }
    uint8_t control() const { return buf_[6]; }
    // A power-on-reset report: at least 14 bytes, data 80 00, then the three values.
    bool isPorReport(int total) const;
    // A reply long enough to carry three status values (data bytes 0..2).
    static bool carriesStatus(int total) { return total >= 12; }

private:
    uint8_t buf_[kBufferSize] = {};
    size_t pos_ = 0;
    size_t total_ = 0;
};

} // namespace ptl
