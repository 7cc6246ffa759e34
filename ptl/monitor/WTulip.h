// The status-monitor local port: sends to a printer through the driver suite's status-monitor library,
// which offers a file-like interface on the port names "OLM_LPT%d:". The port number is always 1.
#pragma once

#include <atomic>

#include "monitor/Libraries.h"
#include "os/Owned.h"
#include "port/WPort.h"

namespace ptl {

class WTulip : public WPort {
public:
    WTulip();
    ~WTulip() override;

    int getIFType() override;
    int getIOMode() override;
    const char *getIFName() override;
    int claim(int timeoutMs) override;
    int release(int timeoutMs) override;
    int send(const void *data, int len, int *written, int p4, int p5, int p6) override;
    int recv(void *buffer, int size, int *got, int p4) override;
    DeviceHandle getHandle() override;
    bool isClaimed() override;
    bool isReady() override;
    int reset() override;
    int force(int on) override;

protected:
    // Names the port and opens it through the library with the given flags, logging the handle: 0, 1013
    // or 1014.
    int openPort(DWORD flags);

    // Closed through the library that opened it.
    os::Owned<HANDLE, monitor::sdCloseHandle, -1> handle_;
    int portNo_ = 1;
    char portName_[MAX_PATH] = "";
    // Written by the caller's thread, read by a send thread before each write.
    std::atomic<int> forced_{0};
};

} // namespace ptl
