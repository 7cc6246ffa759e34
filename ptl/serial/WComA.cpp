#include "serial/WComA.h"

#include "core/Log.h"
#include "os/Syscalls.h"

namespace ptl {

WComA::WComA() : AsyncPort<WCom>("WComA") {}

WComA::~WComA() {
    WComA::release(0);
}

int WComA::getIOMode() {
    return 1;
}

int WComA::claim(int) {
    debugLine("PTL: WComA::claim(%d)\n", portNo_);
    release(0);
    int r = openDevice("COM", FILE_FLAG_OVERLAPPED);
    if (r != kOk)
        return r;
    r = prepareEngine();
    if (r == kOk && !startComm())
        r = kSystemCallFailed;
    if (r == kOk) {
        debugLine("PTL: WComA::start Threads\n");
        r = startThreads({Thread::Recv, Thread::Send});
    }
    if (r != kOk)
        release(0);
    return r;
}

int WComA::release(int timeoutMs) {
    if (!isClaimed())
        return kOk;
    debugLine("PTL: WComA::release(%d)\n", timeoutMs);
    const int r = waitSendEmpty(timeoutMs);
    dropLines();
    stopEngine();
    closeDevice("COM");
    return withSendFailure(r);
}

void WComA::afterFailedRead() {
    DWORD errors = 0;
    os::ClearCommError(handle_, &errors, nullptr);
}

void WComA::purgeDeviceSend() {
    os::PurgeComm(handle_, PURGE_TXCLEAR);
}
void WComA::purgeDeviceRecv() {
    os::PurgeComm(handle_, PURGE_RXCLEAR);
}

} // namespace ptl
