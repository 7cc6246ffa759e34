#include "usb/WLibusbA.h"

namespace ptl {

bool WLibusbA::writeBlock(const uint8_t *data, uint32_t len, uint32_t *done) {
    const int n =
        libusb::bulkWrite(device_.get(), kLibusbEndpointOut, data, static_cast<int>(len), kLibusbWriteMs);
    *done = n > 0 ? static_cast<uint32_t>(n) : 0;
    // A printer that took nothing within the time-out is holding off, not failing: the release's drain
    // time-out decides about it. Only an error of the transfer itself reaches the caller.
    return n >= 0 || n == kLibusbTimedOut;
}

bool WLibusbA::readBlock(uint8_t *buf, uint32_t len, uint32_t *done) {
    const int n =
        libusb::bulkRead(device_.get(), kLibusbEndpointIn, buf, static_cast<int>(len), kLibusbReadMs);
    *done = n > 0 ? static_cast<uint32_t>(n) : 0;
    return n > 0;
}

} // namespace ptl
