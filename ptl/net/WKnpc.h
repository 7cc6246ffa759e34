// The client side of the printer's UDP control protocol (port 3289): one request at a time, matched
// against the replies that arrive, sent again after a time-out or a datagram that is not the answer.
// Owned by value by the printer network ports, claimed and released with them.
#pragma once

#include <windows.h>
#include <winsock2.h>

#include <atomic>
#include <cstdint>
#include <mutex>

#include "net/KnpcFrame.h"
#include "os/Owned.h"

namespace ptl {

class WKnpc {
public:
    WKnpc();
    ~WKnpc();
    WKnpc(const WKnpc &) = delete;
    WKnpc &operator=(const WKnpc &) = delete;

    // Opens the datagram socket and the two events. The argument is not used.
    int claim(int unused);
    // Cancels a transaction waiting in another thread, waits until it has left, then closes everything.
    // Always 0; the argument is only logged.
    int release(int timeoutMs);
    // Sends the request up to `tries` times, waiting up to timeoutMs each time for its answer. On 0 the
    // answer is in reply()/replyLength().
    int transact(const unsigned char *request, int len, int timeoutMs, int tries);

    // The printer's address, network byte order; written by the owner before claim.
    void setAddress(uint32_t netOrder) { target_.sin_addr.s_addr = netOrder; }
    uint32_t address() const { return target_.sin_addr.s_addr; }
    bool isClaimed() const { return static_cast<bool>(sock_); }

    const unsigned char *reply() const { return reply_; }
    int replyLength() const { return replyLen_; }
    // Where the last datagram came from.
    const sockaddr_in &from() const { return from_; }

private:
    int closeAll();

    os::Socket sock_;
    sockaddr_in target_{};
    sockaddr_in from_{};
    int fromLen_ = 0;
    std::atomic<LONG> cancelled_{1}; // a channel never claimed refuses transactions like a released one
    os::Handle cancelEvent_;
    os::WsaEvent netEvent_;
    unsigned char reply_[knpc::kMaxDatagram] = {};
    int replyLen_ = 0;

    // Held by a transaction for its whole run, and by claim and by release while they open or close the
    // handles, so that release on another thread never closes what a transaction is still waiting on.
    std::mutex busy_;
    // Guards the handle fields against a second release running at the same time.
    std::mutex state_;
};

} // namespace ptl
