#include "net/WVqnetA.h"

namespace ptl {

WVqnetA::WVqnetA() : NetAsync<WVqnet>("WVqnetA", NetVariant::Threaded, true) {}

WVqnetA::~WVqnetA() {
    WVqnetA::release(0);
}

int WVqnetA::getIOMode() {
    return 1;
}

int WVqnetA::claim(int) {
    return claimAs("WVqnetA");
}

int WVqnetA::release(int timeoutMs) {
    if (sock_ == INVALID_SOCKET)
        return kOk;
    debugLine("PTL: WVqentA::release(%d)\n", timeoutMs);
    // The end of the job is still in the queue: let the send thread write it before anything stops.
    const int r = waitSendEmpty(timeoutMs);
    // The receive thread stops first, so that the graceful close is the only reader of the socket.
    stopThreads();
    if (timeoutMs != 0)
        gracefulClose();
    control_.release(timeoutMs);
    deleteQueues();
    closeEvents();
    closeSocket();
    return withSendFailure(r);
}

void WVqnetA::procWait() {
    debugLine("PTL: WVqnetA::procConn() Start\n");
    debugLine("PTL: WVqnetA::procConn() End\n");
}

} // namespace ptl
