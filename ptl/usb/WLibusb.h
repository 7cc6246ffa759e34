// The maker's USB printer through the generic libusb 0.1 library (target "LIBUSB"): the first device on
// the library's bus list with the maker's vendor id and product 0x0202, configuration 1, interface 0, bulk
// transfers on endpoints 0x01 (out) and 0x82 (in).
#pragma once

#include <windows.h>

#include "port/WPort.h"
#include "usb/Libusb.h"

namespace ptl {

constexpr uint16_t kLibusbProductId = 0x0202;
constexpr int kLibusbConfiguration = 1;
constexpr int kLibusbInterface = 0;
constexpr int kLibusbEndpointOut = 0x01;
constexpr int kLibusbEndpointIn = 0x82;
constexpr int kLibusbWriteMs = 5000;
constexpr int kLibusbReadMs = 500;
// What a transfer answers when its time-out passed (libusb-win32: -ETIMEDOUT).
constexpr int kLibusbTimedOut = -116;

class WLibusb : public WPort {
public:
    // Initialises the library and scans its buses once; claims use that list.
    WLibusb();
    ~WLibusb() override;

    int getIFType() override;
    const char *getIFName() override;
    int getIOMode() override;
    int claim(int timeoutMs) override;
    int release(int timeoutMs) override;
    int send(const void *data, int len, int *written, int p4, int p5, int p6) override;
    int recv(void *buffer, int size, int *got, int p4) override;
    // One bulk read with the caller's time-out as the library's own; 1019 when it brought nothing.
    int recvWithin(void *buffer, int size, int *got, int timeoutMs) override;
    DeviceHandle getHandle() override;
    bool isClaimed() override;
    bool isReady() override;

    // Opens and configures the device (flags unused): 1014 when it is missing, cannot be opened or refuses
    // the configuration or interface (then it is left open for the caller's release).
    int openDevice(DWORD flags);
    void closeDevice();

protected:
    libusb::DevHandle *device_ = nullptr;
};

} // namespace ptl
