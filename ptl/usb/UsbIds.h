// Device-interface classes and vendor ids of the USB ports. The maker's values are configuration
// constants published in ptl/ptl.h; this is the one place the library takes them from.
#pragma once

#include <windows.h>

#include <cstdint>

#include "ptl/ptl.h"

namespace ptl {

// The maker's USB printer driver (targets VQUSB and XDUSB).
constexpr GUID kMakerUsbDriverGuid = {PTL_MAKER_USB_GUID_DATA1, PTL_MAKER_USB_GUID_DATA2,
                                      PTL_MAKER_USB_GUID_DATA3, PTL_MAKER_USB_GUID_DATA4};
// The platform's USB printing class (targets USBPRN, VQPRN, XDPRN).
constexpr GUID kUsbPrintClassGuid = {
    0x28D78FAD, 0x5A12, 0x11D1, {0xAE, 0x5B, 0x00, 0x00, 0xF8, 0x03, 0xA8, 0xC2}};
constexpr uint16_t kMakerVendorId = PTL_MAKER_USB_VENDOR_ID;
// IBM's USB vendor id (targets IBMTI4 and IBMM4).
constexpr uint16_t kIbmVendorId = 0x04B3;

} // namespace ptl
