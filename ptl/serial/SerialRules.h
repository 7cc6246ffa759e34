// The serial settings rules that need no device: accepted values, the flow-control codes and the DCB
// flow bits they stand for, and readiness from the hold bits. Portable; WCom maps these onto the DCB.
#pragma once

#include <cstdint>

namespace ptl {

// DCB fDtrControl / fRtsControl values.
constexpr unsigned kLineDisable = 0;
constexpr unsigned kLineEnable = 1;
constexpr unsigned kLineHandshake = 2;

// The DCB flag bits a flow code sets; every other flag bit stays as it is.
struct FlowBits {
    unsigned outxCtsFlow = 0;
    unsigned outxDsrFlow = 0;
    unsigned dtrControl = kLineEnable;
    unsigned outX = 0;
    unsigned inX = 0;
    unsigned rtsControl = kLineEnable;
    bool operator==(const FlowBits &) const = default;
};

bool isAcceptedBaudRate(int rate);
bool isAcceptedByteSize(int bits); // 4..8
bool isAcceptedParity(int parity); // 0..4
bool isAcceptedStopBits(int stop); // 0..2

// The bits of flow codes 0..4; false for any other code.
bool flowBitsFor(int flow, FlowBits *out);
// The flow code a flag word stands for: DTR and RTS handshake 4, DTR handshake 1, RTS handshake 2,
// XON/XOFF output 3, else 0.
int flowCodeOf(const FlowBits &bits);

// Hold bits of COMSTAT that readiness looks at.
struct HoldBits {
    bool ctsHold = false;
    bool dsrHold = false;
    bool xoffHold = false;
};
// Whether the printer can take data now, judged by the configured flow control (first match wins:
// DTR handshake, RTS handshake, XON/XOFF); without flow control there is nothing to judge by: false.
bool readyByFlow(const FlowBits &configured, const HoldBits &hold);

// Parallel-port readiness: none of the time-out, device-not-selected and out-of-paper errors.
constexpr uint32_t kLptNotReadyErrors = 0x0200u | 0x0800u | 0x1000u; // CE_PTO | CE_DNS | CE_OOP
inline bool lptReady(uint32_t commErrors) {
    return (commErrors & kLptNotReadyErrors) == 0;
}

} // namespace ptl
