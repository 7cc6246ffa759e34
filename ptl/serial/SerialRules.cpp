#include "serial/SerialRules.h"

namespace ptl {

bool isAcceptedBaudRate(int rate) {
    static const int kRates[] = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                                 19200, 38400, 56000, 57600, 115200, 128000, 256000};
    for (int r : kRates)
        if (r == rate)
            return true;
    return false;
}

bool isAcceptedByteSize(int bits) {
    return bits >= 4 && bits <= 8;
}
bool isAcceptedParity(int parity) {
    return parity >= 0 && parity <= 4;
}
bool isAcceptedStopBits(int stop) {
    return stop >= 0 && stop <= 2;
}

bool flowBitsFor(int flow, FlowBits *out) {
    FlowBits b; // code 0: no handshake, both lines simply on
    switch (flow) {
    case 0:
        break;
    case 1:
        b.outxDsrFlow = 1;
        b.dtrControl = kLineHandshake;
        break;
    case 2:
        b.outxCtsFlow = 1;
        b.rtsControl = kLineHandshake;
        break;
    case 3:
        b.outX = 1;
        b.inX = 1;
        break;
    case 4:
        b.outxDsrFlow = 1;
        b.dtrControl = kLineHandshake;
        b.outxCtsFlow = 1;
        b.rtsControl = kLineHandshake;
        break;
    default:
        return false;
    }
    *out = b;
    return true;
}

int flowCodeOf(const FlowBits &bits) {
    const bool dtr = bits.dtrControl == kLineHandshake;
    const bool rts = bits.rtsControl == kLineHandshake;
    if (dtr && rts)
        return 4;
    if (dtr)
        return 1;
    if (rts)
        return 2;
    if (bits.outX)
        return 3;
    return 0;
}

bool readyByFlow(const FlowBits &configured, const HoldBits &hold) {
    if (configured.dtrControl == kLineHandshake)
        return !hold.dsrHold;
    if (configured.rtsControl == kLineHandshake)
        return !hold.ctsHold;
    if (configured.outX)
        return !hold.xoffHold;
    return false;
}

} // namespace ptl
