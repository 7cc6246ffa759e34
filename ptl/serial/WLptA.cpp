#include "serial/WLptA.h"

#include "core/Log.h"
#include "os/Syscalls.h"

namespace ptl {

WLptA::WLptA() : AsyncPort<WLpt>("WLptA") {}

WLptA::~WLptA() {
    WLptA::release(0);
}

int WLptA::getIOMode() {
    return 1;
}

int WLptA::claim(int) {
    debugLine("PTL: WLptA::claim(%d)\n", portNo_);
    release(0);
    int r = openDevice("LPT", FILE_FLAG_OVERLAPPED);
    if (r != kOk)
        return r;
    r = prepareEngine();
    if (r == kOk)
        r = startThreads({Thread::Send, Thread::Recv});
    if (r != kOk)
        release(0);
    return r;
}

int WLptA::release(int timeoutMs) {
    if (!isClaimed())
        return kOk;
    debugLine("PTL: WLptA::release(%d)\n", timeoutMs);
    const int r = waitSendEmpty(timeoutMs);
    stopEngine();
    closeDevice("LPT");
    return withSendFailure(r);
}

void WLptA::purgeDeviceSend() {
    os::PurgeComm(handle_, PURGE_TXCLEAR);
}
void WLptA::purgeDeviceRecv() {
    os::PurgeComm(handle_, PURGE_RXCLEAR);
}

} // namespace ptl
