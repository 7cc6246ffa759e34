#include "net/WKnpc.h"

#include "core/Log.h"
#include "core/Results.h"
#include "net/Ipv4.h"
#include "os/Syscalls.h"

namespace ptl {

WKnpc::WKnpc() {
    target_.sin_family = AF_INET;
    target_.sin_port = net::portToNet(knpc::kUdpPort);
    target_.sin_addr.s_addr = 0;
}

WKnpc::~WKnpc() {
    release(0);
}

int WKnpc::claim(int) {
    debugLine("PTL: WKnpc::claim()\n");
    release(0);
    std::lock_guard<std::mutex> b(busy_);
    std::lock_guard<std::mutex> s(state_);
    sock_.reset(os::socket(AF_INET, SOCK_DGRAM, 0));
    if (!sock_)
        return kSocketFailed;
    netEvent_.reset(os::WSACreateEvent());
    if (!netEvent_) {
        closeAll();
        return kCantClaim;
    }
    cancelEvent_.reset(os::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!cancelEvent_) {
        closeAll();
        return kEventsFailed;
    }
    cancelled_ = 0;
    return kOk;
}

int WKnpc::release(int timeoutMs) {
    {
        std::lock_guard<std::mutex> s(state_);
        if (!sock_)
            return kOk;
        debugLine("PTL: WKnpc::release(%d)\n", timeoutMs);
        if (netEvent_)
            os::WSAEventSelect(sock_.get(), netEvent_.get(), 0);
        cancelled_ = 1;
        if (cancelEvent_)
            os::SetEvent(cancelEvent_.get()); // wakes a transaction in another thread
    }
    // A woken transaction returns within one wait; only then are its handles closed.
    std::lock_guard<std::mutex> b(busy_);
    std::lock_guard<std::mutex> s(state_);
    return closeAll();
}

// Caller holds both locks.
int WKnpc::closeAll() {
    if (!sock_)
        return kOk;
    cancelled_ = 1;
    cancelEvent_.reset();
    netEvent_.reset();
    sock_.reset();
    return kOk;
}

int WKnpc::transact(const unsigned char *request, int len, int timeoutMs, int tries) {
    std::lock_guard<std::mutex> b(busy_);
    // Released (or never claimed): nothing is sent.
    if (cancelled_ || !sock_)
        return kTimeout;
    os::WSAEventSelect(sock_.get(), netEvent_.get(), FD_READ);
    HANDLE pair[2] = {cancelEvent_.get(), netEvent_.get()};
    const size_t requestLen = len > 0 ? static_cast<size_t>(len) : 0;
    int attempts = 0;
    while (attempts < tries) {
        int sent = os::sendto(sock_.get(), reinterpret_cast<const char *>(request), len, 0,
                              reinterpret_cast<const sockaddr *>(&target_), sizeof target_);
        debugLine("PTL: sendto(len=%d)=%d\n", len, sent);
        if (sent == SOCKET_ERROR)
            return kCtlSendFailed;

        DWORD w = os::WaitForMultipleObjects(2, pair, FALSE, static_cast<DWORD>(timeoutMs));
        debugLine("PTL: WaitForMulti()=%d\n", static_cast<int>(w));
        if (w == WAIT_OBJECT_0)
            return kCtlCancelled;
        if (w == WAIT_TIMEOUT) {
            ++attempts;
            if (cancelled_)
                return kTimeout;
            continue;
        }
        if (w == WAIT_OBJECT_0 + 1) {
            WSANETWORKEVENTS ev{};
            if (os::WSAEnumNetworkEvents(sock_.get(), netEvent_.get(), &ev) == SOCKET_ERROR)
                return kCtlCancelled;
            if (ev.lNetworkEvents & FD_READ)
                debugLine("PTL:  FD_READ %d\n", ev.iErrorCode[FD_READ_BIT]);
            if (ev.lNetworkEvents & FD_CLOSE) {
                debugLine("PTL:  FD_CLOSE %d\n", ev.iErrorCode[FD_CLOSE_BIT]);
                return kCtlCancelled;
            }
        } else if (w == WAIT_FAILED) {
            waitFailedLine();
        }

        fromLen_ = sizeof from_;
        replyLen_ = os::recvfrom(sock_.get(), reinterpret_cast<char *>(reply_), sizeof reply_, 0,
                                 reinterpret_cast<sockaddr *>(&from_), &fromLen_);
        debugLine("PTL: recvfrom(fromlen=%d)=%d\n", fromLen_, replyLen_);
        if (replyLen_ == SOCKET_ERROR)
            return kCtlReceiveFailed;
        if (knpc::replyMatches(request, requestLen, reply_, static_cast<size_t>(replyLen_)))
            return kOk;
        ++attempts;
        if (cancelled_)
            return kTimeout;
    }
    return kTimeout;
}

} // namespace ptl
