// A printer reached through IBM's printer device library (WNTSFPRT.DLL) instead of a device file: claim
// opens a library device for the port number, send and recv are the library's write and read, docStart
// opens a transaction and logs a status summary. WIBMDLLA writes from a send thread.
#pragma once

#include <cstdint>

#include "port/WAsync.h"
#include "port/WPort.h"

namespace ptl {

// The most bytes one library write takes (its count is 16 bits wide).
constexpr int kIbmMaxWrite = 65535;

class WIBMDLL : public WPort {
public:
    ~WIBMDLL() override;
    int getIFType() override;
    int getIOMode() override;
    const char *getIFName() override;
    int getPortNo(int *no) override;
    int setPortNo(int no) override;
    int claim(int timeoutMs) override;
    int release(int timeoutMs) override;
    int send(const void *data, int len, int *written, int p4, int p5, int p6) override;
    int recv(void *buffer, int size, int *got, int p4) override;
    int docStart(int p1, int p2) override;
    int docEnd() override;
    int pageStart(int p1, int p2) override;
    int pageEnd() override;
    DeviceHandle getHandle() override;
    bool isClaimed() override;
    bool isReady() override;
    int deviceStatus(int a, void *buffer, int size) override;
    int getEnvVars(void *buffer, int index) override;
    int getEnvVarsEx(int a, int b) override;
    int getCodePage(int a) override;
    int setCodePage(int a, int b) override;

    // The result of the most recent library call.
    uint16_t lastResult() const { return last_; }

protected:
    // Opens the library device: 1013 for a port number below 1, 1014 when the library refuses.
    int openDevice(int timeoutMs);
    // Ends the transaction and closes the device.
    void closeDevice();
    uint16_t keep(uint16_t r) { return last_ = r; }

    uint32_t device_ = 0;
    int portNo_ = -1;
    uint16_t station_ = 1;
    uint16_t last_ = 0;
};

// Prints the report of a device-status record (exception word, error word, count) to the console.
void printIbmException(const uint8_t record[6]);

class WIBMDLLA : public AsyncPort<WIBMDLL> {
public:
    WIBMDLLA();
    ~WIBMDLLA() override;
    int getIOMode() override;

protected:
    void logClaim() override;
    int openEngineDevice(int timeoutMs) override { return openDevice(timeoutMs); }
    int setUpEngine() override;
    int startEngineThreads() override { return startThreads({Thread::Send}); }
    void closeEngineDevice() override { closeDevice(); }
    // A failed write prints the exception report; whatever the count says was written moves on.
    bool writeBlock(const uint8_t *data, uint32_t len, uint32_t *done) override;
    // Failed writes are tried again on the next pass and never reach the caller.
    void noteWriteFailure(DWORD) override {}
};

} // namespace ptl
