// The window-notified TCP port: connects like WNet, then has the socket layer report its network events
// as messages to the library's notification window. Data still moves through WNet's send and recv, on the
// caller's thread; the notifications are only logged. It keeps the queue kinds a caller sets, as the
// threaded ports do, though it has no queues.
#pragma once

#include "core/Startup.h"
#include "net/WNet.h"
#include "port/PortQueue.h"

namespace ptl {

class WNetW : public WNet, public SocketSink {
public:
    WNetW();
    ~WNetW() override;
    int getIOMode() override;
    int claim(int timeoutMs) override;
    int release(int timeoutMs) override;
    int getSendQueueType(int *kind) override;
    int setSendQueueType(int kind) override;
    int getRecvQueueType(int *kind) override;
    int setRecvQueueType(int kind) override;

    LRESULT WmWsaAsyncSelect(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    bool toleratesWouldBlock() const override { return true; }
    int afterConnect() override;

private:
    int sendQueueType_ = kRingQueue;
    int recvQueueType_ = kRingQueue;
};

} // namespace ptl
