// The synchronous port of the maker's USB printer driver, targets "VQUSB" and "XDUSB": the driver's
// device interface with the product line's suffix, and the driver's reset, force and state requests.
#pragma once

#include <cstdint>

#include "usb/WUsb.h"

namespace ptl {

// Requests of the maker's USB printer driver (device type 0x22, METHOD_BUFFERED, any access).
constexpr DWORD kVqusbQueryDriver = 0x222000;      // out 4 bytes
constexpr DWORD kVqusbSetTiming = 0x222010;        // in 32 bytes: the timing block
constexpr DWORD kVqusbQueryWord = 0x2220C0;        // out 2 bytes
constexpr DWORD kVqusbQueryState = 0x2220C4;       // out 2 bytes: the state word
constexpr DWORD kVqusbSetState = 0x2220C8;         // in 2 bytes
constexpr DWORD kVqusbFailedWriteCount = 0x222100; // out 4 bytes: bytes a failed write did move
constexpr DWORD kVqusbReset = 0x2221FC;

class WVqusb : public WUsb {
public:
    WVqusb();
    ~WVqusb() override;

    int getIFType() override;
    const char *getIFName() override;
    int getIOMode() override;
    int claim(int timeoutMs) override;
    int reset() override;
    int force(int on) override;
    int queryDriver(unsigned *out) override;
    int queryDeviceWord(unsigned short *out) override;
    int queryDeviceState(unsigned short *state) override;
    int setDeviceState(unsigned short value) override;
    // The driver's 16-bit state word (queryDeviceState).
    int deviceState(unsigned *state) override;

protected:
    const GUID &interfaceClass() const override;
    // "\XD" for the XD product line (subtype 1), "\VQ" otherwise.
    const char *pathSuffix() const override;
    // Hands the timing block to the driver (threaded claim); 10000 when it is refused.
    int sendTiming();

    // The driver's timing block, sent as eight little-endian 32-bit words.
    uint32_t timing_[8] = {5, 50, 5, 2000, 0, 0, 0, 0};
};

} // namespace ptl
