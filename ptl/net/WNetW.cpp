#include "net/WNetW.h"

#include "core/Log.h"
#include "core/Results.h"
#include "os/Syscalls.h"

namespace ptl {

WNetW::WNetW() : AsyncPort<WNet>("WNetW") {}

WNetW::~WNetW() {
    WNetW::release(0);
}

int WNetW::getIOMode() {
    return 0;
}

int WNetW::claim(int) {
    debugLine("PTL: WNetW::claim()\n");
    release(0);
    if (notificationWindow() == nullptr)
        return kSystemCallFailed;
    if (port() == 0)
        return kInvalidPortNo;
    return connectSequence();
}

int WNetW::afterConnect() {
    RegistSocket(sock_, this);
    HWND window = notificationWindow();
    const int r = os::WSAAsyncSelect(sock_, window, kMsgSocket, kNetEventMask);
    if (r == SOCKET_ERROR)
        recordError(); // before the log line can change the thread's error
    debugLine("PTL:  WSAAsyncSelect(%08X)=%d\n", static_cast<unsigned>(reinterpret_cast<uintptr_t>(window)),
              r);
    return r == SOCKET_ERROR ? kEventSelectFailed : kOk;
}

int WNetW::release(int timeoutMs) {
    if (sock_ == INVALID_SOCKET)
        return kOk;
    debugLine("PTL: WNetW::release(%d)\n", timeoutMs);
    HWND window = notificationWindow();
    const int r = os::WSAAsyncSelect(sock_, window, 0, 0);
    debugLine("PTL:  WSAAsyncSelect(%08X)=%d\n", static_cast<unsigned>(reinterpret_cast<uintptr_t>(window)),
              r);
    stopThreads();
    deleteQueues();
    UnRegistSocket(sock_);
    closeSocket();
    return kOk;
}

int WNetW::send(const void *data, int len, int *written, int p4, int p5, int p6) {
    return WNet::send(data, len, written, p4, p5, p6);
}

int WNetW::recv(void *buffer, int size, int *got, int p4) {
    return WNet::recv(buffer, size, got, p4);
}

int WNetW::getSendCount(int *n) {
    return WPort::getSendCount(n);
}
int WNetW::getRecvCount(int *n) {
    return WPort::getRecvCount(n);
}
int WNetW::clearSend() {
    return WPort::clearSend();
}
int WNetW::clearRecv() {
    return WPort::clearRecv();
}

LRESULT WNetW::WmWsaAsyncSelect(HWND, UINT, WPARAM, LPARAM lParam) {
    debugLine("PTL: WNetW::WmWsaAsyncSelect(%04X)\n", static_cast<unsigned>(WSAGETSELECTEVENT(lParam)));
    return 0;
}

} // namespace ptl
