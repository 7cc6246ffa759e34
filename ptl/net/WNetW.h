// The window-notified TCP port: connects like WNet, then has the socket layer report its network events
// as messages to the library's notification window. Data still moves through WNet's send and recv, on the
// caller's thread; the notifications are only logged. Of the engine it uses only the queue-kind settings.
#pragma once

#include "core/Startup.h"
#include "net/WNet.h"
#include "port/WAsync.h"

namespace ptl {

class WNetW : public AsyncPort<WNet>, public SocketSink {
public:
    WNetW();
    ~WNetW() override;
    int getIOMode() override;
    int claim(int timeoutMs) override;
    int release(int timeoutMs) override;
    // Synchronous, as in WNet; the socket is non-blocking while claimed.
    int send(const void *data, int len, int *written, int p4, int p5, int p6) override;
    int recv(void *buffer, int size, int *got, int p4) override;
    // No queues: the root's answers.
    int getSendCount(int *n) override;
    int getRecvCount(int *n) override;
    int clearSend() override;
    int clearRecv() override;

    LRESULT WmWsaAsyncSelect(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    bool toleratesWouldBlock() const override { return true; }
    int afterConnect() override;
};

} // namespace ptl
