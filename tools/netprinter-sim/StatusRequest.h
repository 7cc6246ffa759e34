// The real-time status request of receipt printers, 0x10 0x04 n, found in a byte stream across reads. The
// simulated printers (this one, and the serial and USB ones of the tests) answer it the same way.
#pragma once

#include <cstdint>

namespace sim {

class StatusRequest {
public:
    // The status byte to answer once a request's n has arrived (1 printer, 2 off-line, 3 error, 4 paper
    // roll), else -1. Bits 1 and 4 are always set; n 1 also has the drawer pin high, and nothing is wrong.
    int take(uint8_t b) {
        const int n = matched_ == 2 ? b : -1;
        matched_ = b == 0x10 ? 1 : matched_ == 1 && b == 0x04 ? 2 : 0;
        if (n < 1 || n > 4)
            return -1;
        matched_ = 0;
        return n == 1 ? 0x16 : 0x12;
    }

private:
    int matched_ = 0;
};

} // namespace sim
