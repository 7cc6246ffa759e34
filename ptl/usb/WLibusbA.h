// The threaded libusb port: the engine's queues and threads over bulk transfers. The library's calls do
// not see the stop event, so a stop waits for the transfers in progress (up to 5 s for a write).
#pragma once

#include "usb/DriverAsync.h"
#include "usb/WLibusb.h"

namespace ptl {

class WLibusbA : public DriverAsync<WLibusb> {
public:
    WLibusbA() : DriverAsync<WLibusb>("WLibusbA") {}

protected:
    bool writeBlock(const uint8_t *data, uint32_t len, uint32_t *done) override;
    bool readBlock(uint8_t *buf, uint32_t len, uint32_t *done) override;
    // The read itself waits up to 500 ms for data; only a short pause follows an empty one.
    DWORD idleRetryMs() const override { return 1; }
};

} // namespace ptl
