// Synchronous ports that hand the print data to another maker's printer library loaded at run time:
// HPRDH.dll (WHPRDH), kvBSescM.dll (WKvbsdh), kvBSLmIF.dll (WKvbslm), each on a printer name, and
// EBAPI.DLL (WEbapi) on a channel.
#pragma once

#include <windows.h>

#include "extlib/WNamedPort.h"
#include "os/Owned.h"

namespace ptl {

class WHPRDH : public WNamedPort {
public:
    ~WHPRDH() override;
    int getIFType() override;
    int getIOMode() override;
    const char *getIFName() override;
    int claim(int timeoutMs) override;
    int release(int timeoutMs) override;
    int send(const void *data, int len, int *written, int p4, int p5, int p6) override;
    // The library reads nothing: 0 at once, the count left as it was.
    int recv(void *buffer, int size, int *got, int p4) override;
};

class WKvbsdh : public WNamedPort {
public:
    ~WKvbsdh() override;
    int getIFType() override;
    int getIOMode() override;
    const char *getIFName() override;
    int claim(int timeoutMs) override;
    int release(int timeoutMs) override;
    int send(const void *data, int len, int *written, int p4, int p5, int p6) override;
    int recv(void *buffer, int size, int *got, int p4) override;
    int docStart(int p1, int p2) override;
    int docEnd() override;
};

class WKvbslm : public WNamedPort {
public:
    ~WKvbslm() override;
    int getIFType() override;
    int getIOMode() override;
    const char *getIFName() override;
    int claim(int timeoutMs) override;
    int release(int timeoutMs) override;
    int send(const void *data, int len, int *written, int p4, int p5, int p6) override;
    int recv(void *buffer, int size, int *got, int p4) override;
    int docStart(int p1, int p2) override;
    int docEnd() override;

private:
    // Handed to the library at each open; exists from claim to release.
    os::Handle openEvent_;
};

class WEbapi : public WPort {
public:
    ~WEbapi() override;
    int getIFType() override;
    int getIOMode() override;
    const char *getIFName() override;
    int getName(char *out) override;
    int claim(int timeoutMs) override;
    int release(int timeoutMs) override;
    int send(const void *data, int len, int *written, int p4, int p5, int p6) override;
    int recv(void *buffer, int size, int *got, int p4) override;
    DeviceHandle getHandle() override;
    bool isClaimed() override;
    bool isReady() override;

private:
    int32_t channel_ = -1;
    int32_t channelArg3_ = 1;
    int32_t channelArg1_ = 1;
    char channelName_[260] = {};
};

} // namespace ptl
