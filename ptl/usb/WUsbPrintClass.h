// Base of the ports on the platform's USB printing-class driver (USBPRN, VQPRN/XDPRN): the class's device
// interface and the driver's five requests, and the maker's vendor requests carried through it.
#pragma once

#include <cstdint>

#include "usb/WUsb.h"

namespace ptl {

// Requests of the USB printing-class driver (device type 0x22, METHOD_BUFFERED, functions 12 to 16).
constexpr DWORD kUsbPrintGetLptStatus = 0x220030;
constexpr DWORD kUsbPrintGet1284Id = 0x220034;
constexpr DWORD kUsbPrintVendorSet = 0x220038;
constexpr DWORD kUsbPrintVendorGet = 0x22003C;
constexpr DWORD kUsbPrintSoftReset = 0x220040;
// Answer areas of the two vendor commands issued without a request; their contents are dropped.
constexpr DWORD kVendorSetArea = 48;
constexpr DWORD kVendorGetArea = 32;
// The room a device id is read into, its two length bytes included.
constexpr unsigned kDeviceIdRoom = 1024;

class WUsbPrintClass : public WUsb {
public:
    int getLptStatus(unsigned char *status) override;
    int get1284Id(char *buffer, int size) override;
    int vendorSetCommand() override;
    int vendorGetCommand() override;
    int softReset() override;
    // The IEEE 1284 device id without its two length bytes.
    int deviceIdText(char *text, int size, int *length) override;
    // The class's one-byte port status (getLptStatus).
    int deviceState(unsigned *state) override;

protected:
    WUsbPrintClass() = default;
    const GUID &interfaceClass() const override;

    // A maker's vendor request: three input bytes, the request code then the value's high and low byte.
    bool vendorSet(uint8_t request, uint16_t value);
    bool vendorGet(uint8_t request, void *out, DWORD outSize);
};

} // namespace ptl
