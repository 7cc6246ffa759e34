// Device-less ports: the console (writes to the process's console), the dump (one line per byte on the
// standard output) and the file port (writes to the path given as the target text).
#pragma once

#include "port/WPort.h"

namespace ptl {

class WConsole : public WPort {
public:
    ~WConsole() override;
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

protected:
    DeviceHandle handle_ = kNoHandle;
};

class WDump : public WConsole {
public:
    const char *getIFName() override;
    int claim(int timeoutMs) override;
    int release(int timeoutMs) override;
    int send(const void *data, int len, int *written, int p4, int p5, int p6) override;
    int recv(void *buffer, int size, int *got, int p4) override;

private:
    unsigned offset_ = 0; // bytes dumped over the port's whole life
};

} // namespace ptl
