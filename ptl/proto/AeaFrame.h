// The block framings of AEA terminals' printers: ULTRA (STX data ETX), RESA (STX header data ETX|ETB
// BCC) and SITA (STX header data ETX BCC rotation-check), with the six control characters escaped by
// DLE in the data; and the unframer of a received ULTRA frame.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ptl {

constexpr int kAeaUltra = 0;
constexpr int kAeaResa = 1;
constexpr int kAeaSita = 2;

constexpr uint8_t kStx = 0x02;
constexpr uint8_t kEtx = 0x03;
constexpr uint8_t kAck = 0x06;
constexpr uint8_t kDle = 0x10;
constexpr uint8_t kNak = 0x15;
constexpr uint8_t kEtb = 0x17;

constexpr size_t kAeaBlockSize = 512;
constexpr size_t kAeaMaxFrame = 1029;    // SITA with 512 data bytes that all need escaping
constexpr size_t kAeaReceiveSize = 1028; // what one framing-0 read asks for

bool isAeaFraming(int framing);
bool isAeaControl(uint8_t b);

// The frame of one block of at most kAeaBlockSize bytes into out (kAeaMaxFrame bytes). blockCounter's
// lowest bit picks the header "0" or "1"; last selects RESA's ETB over ETX. Returns the frame's length,
// 0 for an unknown framing or an oversized block.
size_t buildAeaFrame(int framing, uint32_t blockCounter, const uint8_t *data, size_t n, bool last,
                     uint8_t *out);

// The payload of one received ULTRA frame: in must be STX, data, ETX, with that last ETX not escaped.
// Each DLE is dropped and the byte after it taken literally; at most size bytes are stored, *got says
// how many. False when in is not one complete frame.
bool unframeAea(const uint8_t *in, size_t n, uint8_t *out, size_t size, size_t *got);

} // namespace ptl
