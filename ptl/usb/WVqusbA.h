// The threaded port of the maker's USB printer driver: the timing block at claim, and a failed write asks
// the driver how many bytes it moved all the same.
#pragma once

#include "usb/DriverAsync.h"
#include "usb/WVqusb.h"

namespace ptl {

class WVqusbA : public DriverAsync<WVqusb> {
public:
    WVqusbA();

protected:
    int setUpEngine() override;
    bool writeBlock(const uint8_t *data, uint32_t len, uint32_t *done) override;
};

} // namespace ptl
