// The USB printing-class port "USBPRN": the platform's printing-class driver, written like a file.
#pragma once

#include "usb/WUsbPrintClass.h"

namespace ptl {

class WUsbprn : public WUsbPrintClass {
public:
    ~WUsbprn() override;

    int getIFType() override;
    const char *getIFName() override;
    int getIOMode() override;
    int claim(int timeoutMs) override;
    int release(int timeoutMs) override;
};

} // namespace ptl
