// The status-monitor port: prints through the maker's status-monitor service instead of opening a device.
// It opens a port of the service ("OLMPRT" and three digits, locally through a pipe or remotely through
// TCP) with the service's client library, sends from the engine's send thread through the library, and
// receives on the library's own thread through a callback.
#pragma once

#include <cstdint>

#include "port/WAsync.h"

namespace ptl {

class WOlmprt : public AsyncPort<WPort> {
public:
    WOlmprt();
    ~WOlmprt() override;

    int getIFType() override;
    int getIOMode() override;
    const char *getIFName() override;
    int getName(char *out) override;
    int setName(const char *name) override;
    int getPortNo(int *no) override;
    int setPortNo(int no) override;
    int getSubType(int *v) override;
    int setSubType(int v) override;
    DeviceHandle getHandle() override;
    bool isClaimed() override;
    bool isReady() override;
    int reset() override;
    int force(int on) override;
    int reserved75(int a) override;
    int setAddress(unsigned long address) override;
    // The address given to the port; -1 while none was.
    int getAddress(uint32_t *address) override;
    int lock(int timeout) override;
    int unlock() override;
    int ioctl(int code, void *data, int size, int p4, int p5, int p6) override;
    int registerCallback(int kind, void *callback, void *context) override;
    int unregisterCallback(int kind, void *callback, void *context) override;

protected:
    int openEngineDevice(int timeoutMs) override;
    int setUpEngine() override;
    int startEngineThreads() override;
    void closeDownEngine() override;
    void closeEngineDevice() override;
    // One SendReceive call of the library, bounded by the library's own time-out.
    bool writeBlock(const uint8_t *data, uint32_t len, uint32_t *done) override;

private:
    static uint32_t WINAPI callbackEntry(void *context, int unused, const uint8_t *data, int count);
    uint32_t procCallback(const uint8_t *data, int count);
    // A library call with the port's handle first; kNorvelMissing without the library or the function.
    template <class... A> uint32_t library(const char *function, A... a);
    bool buildPath();

    int32_t libHandle_ = -1;
    int portNo_ = -1;
    int productKind_ = 0;
    uint32_t address_ = 0;
    char path_[MAX_PATH] = "";
};

// A status of the client library as a result code.
int statusResult(uint32_t status);

} // namespace ptl
