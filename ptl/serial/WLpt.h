// The synchronous parallel port "LPT" (also the target "PRN"): WVcomm's device handling plus readiness,
// printer reset and the four parallel-port driver requests.
#pragma once

#include "serial/WVcomm.h"

namespace ptl {

// Parallel-port class driver requests (device type FILE_DEVICE_PARALLEL_PORT, METHOD_BUFFERED,
// FILE_ANY_ACCESS).
constexpr DWORD kIoctlParQueryInformation = 0x00160004;
constexpr DWORD kIoctlParSetInformation = 0x00160008;
constexpr DWORD kIoctlParQueryDeviceId = 0x0016000C;
constexpr DWORD kIoctlParQueryDeviceIdSize = 0x00160010;
// PAR_SET_INFORMATION control byte that initialises the printer.
constexpr unsigned char kParallelInit = 0x01;

class WLpt : public WVcomm {
public:
    WLpt() = default;
    ~WLpt() override;

    int getIFType() override;
    int getIOMode() override;
    const char *getIFName() override;
    int claim(int timeoutMs) override;
    int release(int timeoutMs) override;
    bool isReady() override;
    // The port's error bits: 1001 while not claimed, 1103 when they cannot be read.
    int askReady(int *ready) override;
    // The IEEE 1284 device id the parallel driver reads from the printer.
    int deviceIdText(char *text, int size, int *length) override;
    // The parallel driver's status byte (queryParInfo).
    int deviceState(unsigned *state) override;
    int reset() override;
    int getDeviceIdSize(int *size) override;
    int getDeviceId(char *buffer, int size) override;
    int queryParInfo(unsigned char *status) override;
    int setParInfo(unsigned char control) override;
};

} // namespace ptl
