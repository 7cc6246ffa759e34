#include "net/WNetE.h"

namespace ptl {

WNetE::WNetE() : NetAsync<WNet>("WNetE", NetVariant::Event, false, "PTL:  WSAEventSelect(%08X)\n") {}

WNetE::~WNetE() {
    WNetE::release(0);
}

int WNetE::getIOMode() {
    return 2;
}

int WNetE::claim(int) {
    debugLine("PTL: WNetE::claim()\n");
    release(0);
    if (port() == 0)
        return kInvalidPortNo;
    return connectSequence();
}

int WNetE::release(int timeoutMs) {
    if (sock_ == INVALID_SOCKET)
        return kOk;
    debugLine("PTL: WNetE::release(%d)\n", timeoutMs);
    const int r = waitSendEmpty(timeoutMs);
    unselectEvents();
    // The engine's events are closed here too, so that claim after claim does not pile up handles.
    stopEngine();
    closeNetEvent();
    closeSocket();
    return withSendFailure(r);
}

} // namespace ptl
