// The printer's UDP control protocol: request building, reply matching and the reply fields the ports
// read, plus the printer side (request parsing, reply building) used by the network printer simulator.
// No operating-system calls here: this is built natively too and fuzzed.
//
// Every datagram starts with a 14-byte header, numbers big-endian:
//   0..4  "KAVRO"   5 kind letter (upper case in a request, lower case in its reply)
//   6..9  request code 03 00 00 nn   10..11 result (0 = accepted)   12..13 data length   14.. data
#pragma once

#include <cstddef>
#include <cstdint>

namespace ptl::knpc {

constexpr uint16_t kUdpPort = 3289;
constexpr size_t kHeaderSize = 14;
constexpr size_t kMaxDatagram = 512; // the channel's reply buffer
constexpr uint8_t kMagic[5] = {'K', 'A', 'V', 'R', 'O'};
constexpr uint8_t kCodeLead = 0x03;

constexpr char kKindControl = 'C';
constexpr char kKindQuery = 'Q';

// Command bytes (the last byte of the request code).
constexpr uint8_t kCmdInfo = 0x00;
constexpr uint8_t kCmdId = 0x10;
constexpr uint8_t kCmdReset = 0x12;
constexpr uint8_t kCmdForce = 0x15;
constexpr uint8_t kCmdCheck = 0x17;

// Total reply sizes the ports accept.
constexpr size_t kForceReplySize = 15;
constexpr size_t kInfoReplySize = 147;
constexpr size_t kIdReplySize = 27;
constexpr size_t kCheckReplySize = 18;
constexpr size_t kInfoTextMax = kInfoReplySize - kHeaderSize; // 133
constexpr size_t kIdTextMax = kIdReplySize - kHeaderSize;     // 13
constexpr size_t kCheckDataSize = kCheckReplySize - kHeaderSize;

// Request sizes of the requests the ports send.
constexpr size_t kControlRequestSize = kHeaderSize + 1; // reset, force
constexpr size_t kQueryRequestSize = kHeaderSize;       // info, id, check

// Writes one request (header plus data) into out. Returns the byte count, 0 when out is too small or the
// data does not fit the protocol's 16-bit length.
size_t buildRequest(char kind, uint8_t command, const uint8_t *data, size_t dataLen, uint8_t *out,
                    size_t outSize);

// The requests of the printer network ports; out holds at least kControlRequestSize bytes.
size_t buildReset(uint8_t *out);
size_t buildForce(bool on, uint8_t *out);
size_t buildInfo(uint8_t *out);
size_t buildId(uint8_t *out);
size_t buildCheck(uint8_t *out);

// A received datagram answers a request when it has a full header, the magic, the request's kind letter in
// lower case (for request kinds C, I, P, Q and S only) and the same request code. The sender's address is
// not part of the match.
bool replyMatches(const uint8_t *request, size_t requestLen, const uint8_t *reply, size_t replyLen);

// The reply's result field; -1 when the reply is shorter than a header.
int replyResult(const uint8_t *reply, size_t replyLen);

// The data byte of a control reply (reply byte 14); -1 when there is none.
int replyDataByte(const uint8_t *reply, size_t replyLen);

// Copies the text of an info or id reply into text: characters from byte 14 up to the first zero byte, at
// most maxChars of them, then a zero. Only when replyLen equals exactly wantLen; otherwise text is left
// untouched and false is returned.
bool copyReplyText(const uint8_t *reply, size_t replyLen, size_t wantLen, size_t maxChars, char *text);

// ---- printer side -----------------------------------------------------------------------------------

struct Request {
    char kind = 0;        // upper-case letter
    uint8_t code[4] = {}; // request code as received
    uint16_t dataLen = 0; // data length field
    const uint8_t *data = nullptr;
    size_t dataAvail = 0; // data bytes actually present (may differ from dataLen)
};

// Reads a request: a full header with the magic and an upper-case kind letter. False for anything else.
bool parseRequest(const uint8_t *p, size_t n, Request *r);

// Builds the reply to a request: the header with the kind in lower case, the same code, the given result
// and data. Returns the byte count, 0 when out is too small.
size_t buildReply(const Request &r, uint16_t result, const uint8_t *data, size_t dataLen, uint8_t *out,
                  size_t outSize);

} // namespace ptl::knpc
