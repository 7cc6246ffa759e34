#include "net/WNet.h"

#include "core/IfTypes.h"
#include "core/Log.h"
#include "core/Results.h"
#include "net/Ipv4.h"
#include "os/Syscalls.h"

namespace ptl {

WNet::WNet() {
    peer_.sin_family = AF_INET;
    peer_.sin_port = 0;
    peer_.sin_addr.s_addr = 0;
}

WNet::~WNet() {
    WNet::release(0);
}

int WNet::getIFType() {
    return kIfNet;
}
int WNet::getIOMode() {
    return 0;
}
const char *WNet::getIFName() {
    return "NET";
}

int WNet::getPortNo(int *no) {
    if (no == nullptr)
        return kNullArgument;
    *no = port();
    return kOk;
}

int WNet::setPortNo(int no) {
    peer_.sin_port = net::portToNet(static_cast<uint16_t>(no & 0xFFFF));
    return kOk;
}

int WNet::setAddress(unsigned long address) {
    peer_.sin_addr.s_addr = static_cast<uint32_t>(address);
    return kOk;
}

int WNet::reserved75(int) {
    return kOk;
}
DeviceHandle WNet::getHandle() {
    return static_cast<DeviceHandle>(sock_.get());
}
bool WNet::isClaimed() {
    return static_cast<bool>(sock_);
}
bool WNet::isReady() {
    return true;
}

uint16_t WNet::port() const {
    return net::portFromNet(peer_.sin_port);
}

void WNet::recordError() {
    lastError_ = static_cast<DWORD>(os::WSAGetLastError());
}

void WNet::logClaimAs(const char *className) {
    debugLine("PTL: %s::claim()\n", className);
}

int WNet::connectChecked() {
    if (port() == 0)
        return kInvalidPortNo;
    return connectSequence();
}

int WNet::claim(int) {
    logClaimAs("WNet");
    release(0);
    return connectChecked();
}

int WNet::connectSequence() {
    sock_.reset(os::socket(AF_INET, SOCK_STREAM, 0));
    if (!sock_) {
        recordError();
        release(0);
        return kSocketFailed;
    }
    if (!toleratesWouldBlock()) {
        // A send on the caller's thread to a printer that takes nothing returns within the bound
        // (failing with WSAETIMEDOUT) instead of blocking for ever.
        const DWORD ms = kNoProgressMs;
        if (os::setsockopt(sock_.get(), SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char *>(&ms),
                           sizeof ms) == SOCKET_ERROR)
            debugLine("PTL:  SO_SNDTIMEO iErr=%d\n", os::WSAGetLastError());
    }
    int r = beforeConnect();
    if (r != kOk) {
        release(0);
        return r;
    }
    if (os::connect(sock_.get(), reinterpret_cast<const sockaddr *>(&peer_), sizeof peer_) == SOCKET_ERROR) {
        systemCallLine(true, &lastError_, "PTL:  iErr=%d\n", os::WSAGetLastError());
        if (!(toleratesWouldBlock() && lastError_ == WSAEWOULDBLOCK)) {
            release(0);
            return kCantConnect;
        }
    }
    r = afterConnect();
    if (r != kOk)
        release(0);
    return r;
}

int WNet::release(int timeoutMs) {
    if (!sock_)
        return kOk;
    debugLine("PTL: WNet::release(%d)\n", timeoutMs);
    if (timeoutMs != 0)
        gracefulClose();
    closeSocket();
    return kOk;
}

void WNet::closeSocket() {
    sock_.reset();
}

void WNet::gracefulClose() {
    if (os::shutdown(sock_.get(), SD_SEND) == SOCKET_ERROR) {
        recordError();
        return;
    }
    // Non-blocking reads, so that the time limit holds even when a read finds nothing after all. A socket
    // with an event selection is non-blocking already and refuses the switch.
    u_long nonBlocking = 1;
    os::ioctlsocket(sock_.get(), FIONBIO, &nonBlocking);
    const DWORD start = os::GetTickCount();
    char discard[256];
    for (;;) {
        const DWORD elapsed = os::GetTickCount() - start;
        if (elapsed >= kGracefulCloseMs) {
            debugLine("PTL:  gracefulClose: no close from the peer within %d ms\n",
                      static_cast<int>(kGracefulCloseMs));
            break;
        }
        const DWORD left = kGracefulCloseMs - elapsed;
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(sock_.get(), &readable);
        timeval tv{static_cast<long>(left / 1000), static_cast<long>((left % 1000) * 1000)};
        const int ready = os::select(0, &readable, nullptr, nullptr, &tv);
        if (ready == SOCKET_ERROR) {
            recordError();
            return;
        }
        if (ready == 0)
            continue; // the time check above ends the loop
        const int n = os::recv(sock_.get(), discard, sizeof discard, 0);
        if (n == 0)
            break; // the peer has closed its side
        if (n == SOCKET_ERROR) {
            if (os::WSAGetLastError() == WSAEWOULDBLOCK)
                continue;
            lastError_ = os::GetLastError();
            return;
        }
    }
    if (os::shutdown(sock_.get(), SD_BOTH) == SOCKET_ERROR)
        recordError();
}

int WNet::send(const void *data, int len, int *written, int, int, int) {
    debugLine("PTL: WNet::send(%d)\n", len);
    int dummy = 0;
    if (written == nullptr)
        written = &dummy;
    const int n = os::send(sock_.get(), static_cast<const char *>(data), len, 0);
    if (n == SOCKET_ERROR) {
        recordError();
        *written = 0;
        return kWriteFailed;
    }
    *written = n;
    return n == len ? kOk : kWriteFailed;
}

int WNet::recvWithin(void *buffer, int size, int *got, int timeoutMs) {
    if (const auto refused = refuseRecvWithin(got, size))
        return *refused;
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(sock_.get(), &readable);
    const DWORD ms = static_cast<DWORD>(timeoutMs);
    timeval limit{static_cast<long>(ms / 1000), static_cast<long>(ms % 1000) * 1000};
    const int n = os::select(0, &readable, nullptr, nullptr, &limit);
    if (n == SOCKET_ERROR) {
        recordError();
        return kReadFailed;
    }
    if (n == 0)
        return kTimeout;
    // Readable with nothing to read is the peer's close: an answer of 0 bytes, not a time-out.
    return recv(buffer, size, got, 0);
}

int WNet::getAddress(uint32_t *address) {
    *address = peer_.sin_addr.s_addr;
    return kOk;
}

int WNet::recv(void *buffer, int size, int *got, int) {
    debugLine("PTL: WNet::recv(%d)\n", size);
    int dummy = 0;
    if (got == nullptr)
        got = &dummy;
    const int n = os::recv(sock_.get(), static_cast<char *>(buffer), size, 0);
    if (n == SOCKET_ERROR) {
        recordError();
        *got = 0;
        return kReadFailed;
    }
    *got = n;
    return kOk;
}

} // namespace ptl
