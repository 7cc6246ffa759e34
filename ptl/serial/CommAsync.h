#pragma once

#include "core/Log.h"
#include "os/Syscalls.h"
#include "port/WAsync.h"

namespace ptl {

// The threaded ports of a communications device (COMn, LPTn): opened and closed by name, purged with
// PurgeComm.
template <class Base> class CommAsync : public AsyncPort<Base> {
protected:
    CommAsync(const char *name, const char *device) : AsyncPort<Base>(name), device_(device) {}

    void logClaim() override { debugLine("PTL: %s::claim(%d)\n", this->name_, this->portNo_); }
    int openEngineDevice(int) override { return this->openDevice(device_, FILE_FLAG_OVERLAPPED); }
    void closeEngineDevice() override { this->closeDevice(device_); }
    void purgeDeviceSend() override { os::PurgeComm(this->handle_.get(), PURGE_TXCLEAR); }
    void purgeDeviceRecv() override { os::PurgeComm(this->handle_.get(), PURGE_RXCLEAR); }

private:
    const char *const device_;
};

} // namespace ptl
