#include "usb/WLibusbA.h"

namespace ptl {

bool WLibusbA::writeBlock(const uint8_t *data, uint32_t len, uint32_t *done) {
    const int n = libusb::bulkWrite(device_, kLibusbEndpointOut, data, static_cast<int>(len), kLibusbWriteMs);
    *done = n > 0 ? static_cast<uint32_t>(n) : 0;
    return n > 0;
}

bool WLibusbA::readBlock(uint8_t *buf, uint32_t len, uint32_t *done) {
    const int n = libusb::bulkRead(device_, kLibusbEndpointIn, buf, static_cast<int>(len), kLibusbReadMs);
    *done = n > 0 ? static_cast<uint32_t>(n) : 0;
    return n > 0;
}

} // namespace ptl
