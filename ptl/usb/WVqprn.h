// The port "VQPRN"/"XDPRN": the maker's printer on the platform's USB printing-class driver, with reset,
// force and the device state word carried as the maker's vendor requests.
#pragma once

#include "usb/WUsbPrintClass.h"

namespace ptl {

// The maker's vendor request codes.
constexpr uint8_t kVendorReset = 0x7F;
constexpr uint8_t kVendorQueryWord = 0x00;
constexpr uint8_t kVendorQueryState = 0x01;
constexpr uint8_t kVendorSetState = 0x02;
// The state answer: up to four bytes, the state word first, low byte first.
constexpr DWORD kVendorStateArea = 4;

class WVqprn : public WUsbPrintClass {
public:
    ~WVqprn() override;

    int getIFType() override;
    const char *getIFName() override;
    int getIOMode() override;
    int claim(int timeoutMs) override;
    int release(int timeoutMs) override;
    int reset() override;
    int force(int on) override;
    int queryDeviceWord(unsigned short *out) override;
    int queryDeviceState(unsigned short *state) override;
    int setDeviceState(unsigned short value) override;
    // The driver's 16-bit state word (queryDeviceState).
    int deviceState(unsigned *state) override;
};

} // namespace ptl
