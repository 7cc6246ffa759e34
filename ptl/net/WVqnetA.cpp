#include "net/WVqnetA.h"

namespace ptl {

WVqnetA::WVqnetA() : NetAsync<WVqnet>("WVqnetA") {}

WVqnetA::~WVqnetA() {
    release(0);
}

int WVqnetA::getIOMode() {
    return 1;
}

int WVqnetA::startEngineThreads() {
    return startThreads({Thread::Send, Thread::Recv, Thread::Third});
}

// The receive thread has stopped, so the graceful close is the only reader of the socket.
void WVqnetA::afterThreadsStopped(int timeoutMs) {
    if (timeoutMs != 0)
        gracefulClose();
    control_.release(timeoutMs);
}

void WVqnetA::procWait() {
    debugLine("PTL: WVqnetA::procConn() Start\n");
    debugLine("PTL: WVqnetA::procConn() End\n");
}

} // namespace ptl
