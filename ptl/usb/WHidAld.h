// The maker's ALD device (target "ALD"): plain blocking reads and writes on the HID device.
#pragma once

#include "usb/WHid.h"

namespace ptl {

class WHidAld : public WHid {
public:
    ~WHidAld() override;

    int getIFType() override;
    const char *getIFName() override;
    int getIOMode() override;
    int claim(int timeoutMs) override;
    int release(int timeoutMs) override;

protected:
    Selection selection() const override;
};

} // namespace ptl
