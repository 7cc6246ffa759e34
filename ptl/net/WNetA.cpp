#include "net/WNetA.h"

namespace ptl {

WNetA::WNetA() : NetAsync<WNet>("WNetA", NetVariant::Threaded) {}

WNetA::~WNetA() {
    WNetA::release(0);
}

int WNetA::getIOMode() {
    return 1;
}

int WNetA::claim(int) {
    debugLine("PTL: WNetA::claim()\n");
    release(0);
    if (port() == 0)
        return kInvalidPortNo;
    return connectSequence();
}

int WNetA::release(int timeoutMs) {
    if (sock_ == INVALID_SOCKET)
        return kOk;
    debugLine("PTL: WNetA::release(%d)\n", timeoutMs);
    // Queued bytes go out before the threads stop, unless the caller gives no time at all.
    const int r = waitSendEmpty(timeoutMs);
    stopEngine();
    closeSocket();
    return withSendFailure(r);
}

} // namespace ptl
