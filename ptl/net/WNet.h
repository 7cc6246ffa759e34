// TCP socket ports: one connection to an IPv4 address and port. WNet is the synchronous variant and the
// base of the threaded, event-driven and window-notified variants and of the printer network ports.
#pragma once

#include <windows.h>
#include <winsock2.h>

#include <cstdint>

#include "os/Owned.h"
#include "port/WPort.h"

namespace ptl {

// How long a graceful close waits, in all, for the peer to close its side after ours was shut down. When
// the time is up the socket is closed anyway (the system still delivers what was sent), so a release never
// hangs on a printer that keeps its connection open.
constexpr DWORD kGracefulCloseMs = 5000;

constexpr long kNetEventMask = FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE; // 0x33

class WNet : public WPort {
public:
    WNet();
    ~WNet() override;

    int getIFType() override;
    int getIOMode() override;
    const char *getIFName() override;
    int getPortNo(int *no) override;
    int setPortNo(int no) override;
    int setAddress(unsigned long address) override;
    int reserved75(int a) override;
    DeviceHandle getHandle() override;
    bool isClaimed() override;
    bool isReady() override;
    int claim(int timeoutMs) override;
    int release(int timeoutMs) override;
    int send(const void *data, int len, int *written, int p4, int p5, int p6) override;
    int recv(void *buffer, int size, int *got, int p4) override;
    // Waits on the socket for readable data, then reads once; 1019 when none came in time.
    int recvWithin(void *buffer, int size, int *got, int timeoutMs) override;
    int getAddress(uint32_t *address) override;

    // The socket error of the latest failing call, for diagnosis.
    int lastError() const { return lastError_; }
    SOCKET socketHandle() const { return sock_.get(); }

protected:
    uint16_t port() const;
    uint32_t address() const { return peer_.sin_addr.s_addr; }
    void recordError();

    // The claim's line: "PTL: <className>::claim()".
    virtual void logClaimAs(const char *className);
    // The claim after its line and release(0): the checks of the address (1013 for port 0), then
    // connectSequence.
    virtual int connectChecked();
    // The claim steps after the checks: socket, beforeConnect, connect, afterConnect. Any failure releases
    // with release(0) and returns its code.
    int connectSequence();
    // Between creating the socket and connecting (events, control channel).
    virtual int beforeConnect() { return 0; }
    // After connecting (event selection).
    virtual int afterConnect() { return 0; }
    // Variants that never send on the caller's thread: they go on when connect reports WSAEWOULDBLOCK, and
    // their sockets get no send time-out.
    virtual bool toleratesWouldBlock() const { return false; }

    // Shuts our side down, discards what the peer still sends until it closes its side or
    // kGracefulCloseMs have passed, then shuts both sides down. The socket stays open.
    void gracefulClose();
    void closeSocket();

    os::Socket sock_;
    int lastError_ = 0;
    sockaddr_in peer_{};
};

} // namespace ptl
