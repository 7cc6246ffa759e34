// Base of the ports reached by opening a Windows communications device by name (COMn, LPTn): the port
// number, the device path with its private DOS-device alias, the stored time-outs and the plain blocking
// send and receive.
#pragma once

#include <windows.h>

#include "port/WPort.h"
#include "serial/DeviceAlias.h"

namespace ptl {

class WVcomm : public WPort {
public:
    ~WVcomm() override;

    int getPortNo(int *no) override;
    // 10000 while claimed, 1013 outside 1..32. A number outside the range is kept all the same, so that
    // the claim refuses it (1013) instead of quietly opening the previous or default port.
    int setPortNo(int no) override;
    int release(int timeoutMs) override;
    int send(const void *data, int len, int *written, int p4, int p5, int p6) override;
    int recv(void *buffer, int size, int *got, int p4) override;
    DeviceHandle getHandle() override;
    bool isClaimed() override;
    int getCommTimeouts(COMMTIMEOUTS *t) override;
    int setCommTimeouts(const COMMTIMEOUTS *t) override;
    int getModemStatus(unsigned *status) override;
    int escapeFunction(int function) override;
    // The device's own read time-outs bound the wait: returns with the first bytes or after timeoutMs.
    int recvWithin(void *buffer, int size, int *got, int timeoutMs) override;
    // The modem status bits (MS_CTS_ON, MS_DSR_ON, MS_RING_ON, MS_RLSD_ON); 1001 while not claimed.
    int deviceState(unsigned *state) override;

    // GetLastError() of the last failed open; for diagnostics.
    DWORD lastOsError() const { return lastError_; }
    const char *devicePath() const { return devicePath_; }

protected:
    WVcomm() = default;

    // Builds the path of "<name><n>" and opens it for reading and writing with the given extra flags
    // (FILE_FLAG_OVERLAPPED for the threaded ports); logs "PTL:  '<path>'=<handle>". 1013 for a bad
    // number; 1014 when the open fails, with the OS error kept and the alias removed.
    int openDevice(const char *name, DWORD flags);
    // Closes the handle (port not claimed afterwards) and removes the alias.
    void closeDevice(const char *name);
    // Opens the path already in devicePath_ as openDevice does, without an alias: 1014 with the OS error
    // kept when it fails.
    int openPath(DWORD flags);
    void closeHandle();

    // "\\.\COM3", or on the NT family "\\.\PtlCOM3" when COM3 names a real device besides the spooler's
    // pipe: the private alias then points at the first such device.
    void buildDevicePath(const char *name);
    void removeDeviceAlias(const char *name);

    HANDLE handle_ = INVALID_HANDLE_VALUE;
    int portNo_ = 1;
    char devicePath_[kDevicePathSize] = "";
    DWORD lastError_ = 0;
    COMMTIMEOUTS timeouts_{100, 0, 2000, 0, 2000};
};

} // namespace ptl
