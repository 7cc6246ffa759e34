#include "net/WVqnetE.h"

namespace ptl {

WVqnetE::WVqnetE()
    : NetAsync<WVqnet>("WVqnetE", NetVariant::Event, false, "PTL: WSAEventSelect(%08X)=%d\n") {}

WVqnetE::~WVqnetE() {
    WVqnetE::release(0);
}

int WVqnetE::getIOMode() {
    return 2;
}

int WVqnetE::claim(int) {
    return claimAs("WVqnetE");
}

int WVqnetE::release(int timeoutMs) {
    if (sock_ == INVALID_SOCKET)
        return kOk;
    debugLine("PTL: WVqnetE::release(%d)\n", timeoutMs);
    const int r = waitSendEmpty(timeoutMs);
    unselectEvents();
    stopThreads();
    control_.release(timeoutMs);
    deleteQueues();
    closeEvents();
    closeNetEvent();
    closeSocket();
    return withSendFailure(r);
}

} // namespace ptl
