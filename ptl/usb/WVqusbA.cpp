#include "usb/WVqusbA.h"

namespace ptl {

WVqusbA::WVqusbA() : DriverAsync<WVqusb>("WVqusbA") {}

int WVqusbA::setUpEngine() {
    return sendTiming();
}

// The driver may have moved part of a write that failed; its count decides how far the cursor advances
// (nothing when it cannot say).
bool WVqusbA::writeBlock(const uint8_t *data, uint32_t len, uint32_t *done) {
    *done = 0;
    const bool ok = writeOverlapped(handle_.get(), data, len, done);
    if (ok || stopping())
        return ok;
    uint32_t count = *done;
    if (control(kVqusbFailedWriteCount, nullptr, 0, &count, sizeof count))
        *done = count;
    return false;
}

} // namespace ptl
