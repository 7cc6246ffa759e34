#include "net/WNetW.h"

#include "core/Log.h"
#include "core/Results.h"
#include "os/Syscalls.h"

namespace ptl {

WNetW::WNetW() = default;

WNetW::~WNetW() {
    WNetW::release(0);
}

int WNetW::getIOMode() {
    return 0;
}

int WNetW::claim(int) {
    logClaimAs("WNetW");
    release(0);
    if (notificationWindow() == nullptr)
        return kSystemCallFailed;
    return connectChecked();
}

int WNetW::afterConnect() {
    RegistSocket(sock_.get(), this);
    HWND window = notificationWindow();
    const int r = os::WSAAsyncSelect(sock_.get(), window, kMsgSocket, kNetEventMask);
    systemCallLine(r == SOCKET_ERROR, &lastError_, "PTL:  WSAAsyncSelect(%08X)=%d\n",
                   static_cast<unsigned>(reinterpret_cast<uintptr_t>(window)), r);
    return r == SOCKET_ERROR ? kEventSelectFailed : kOk;
}

int WNetW::release(int timeoutMs) {
    if (!sock_)
        return kOk;
    debugLine("PTL: WNetW::release(%d)\n", timeoutMs);
    HWND window = notificationWindow();
    const int r = os::WSAAsyncSelect(sock_.get(), window, 0, 0);
    debugLine("PTL:  WSAAsyncSelect(%08X)=%d\n", static_cast<unsigned>(reinterpret_cast<uintptr_t>(window)),
              r);
    UnRegistSocket(sock_.get());
    closeSocket();
    return kOk;
}

int WNetW::getSendQueueType(int *kind) {
    return readInto(sendQueueType_, kind);
}
int WNetW::setSendQueueType(int kind) {
    sendQueueType_ = kind;
    return kOk;
}
int WNetW::getRecvQueueType(int *kind) {
    return readInto(recvQueueType_, kind);
}
int WNetW::setRecvQueueType(int kind) {
    recvQueueType_ = kind;
    return kOk;
}

LRESULT WNetW::WmWsaAsyncSelect(HWND, UINT, WPARAM, LPARAM lParam) {
    debugLine("PTL: WNetW::WmWsaAsyncSelect(%04X)\n", static_cast<unsigned>(WSAGETSELECTEVENT(lParam)));
    return 0;
}

} // namespace ptl
