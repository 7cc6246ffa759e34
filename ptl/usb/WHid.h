// Base of the HID ports: finds its device among the HID class's interfaces by vendor id, product id and
// top-level usage (not by index), and records the device's report lengths.
#pragma once

#include "usb/WUsb.h"

namespace ptl {

class WHid : public WUsb {
public:
    using WUsb::devicePath;
    // The first HID device in enumeration order that opens without sharing and has these ids and usage:
    // its path into out (kUsbPathSize bytes) and its report lengths into the port. False when there is
    // none, or no HID.DLL or SETUPAPI.DLL.
    bool devicePath(char *out, uint16_t vendorId, uint16_t productId, uint16_t usage);

    uint32_t inputReportLength() const { return inputReportLength_; }
    uint32_t outputReportLength() const { return outputReportLength_; }
    uint32_t featureReportLength() const { return featureReportLength_; }

    // What identifies a class's device.
    struct Selection {
        uint16_t vendorId, productId, usage;
    };

protected:
    WHid() = default;
    // The device this class opens.
    virtual Selection selection() const = 0;
    const GUID &interfaceClass() const override { return hidClass_; }
    bool discover() override;

    uint32_t inputReportLength_ = 0;
    uint32_t outputReportLength_ = 0;
    uint32_t featureReportLength_ = 0;

private:
    GUID hidClass_{};
};

} // namespace ptl
