// What the threaded (A) and event-driven (E) network ports share, on top of WNet or WVqnet: the engine's
// claim and release around the connection, its loops writing and reading the socket with overlapped I/O,
// and for E ports (NetEventAsync) the socket event and the wait thread that reacts to network events.
#pragma once

#include <atomic>

#include "core/Log.h"
#include "core/Results.h"
#include "net/WNet.h"
#include "os/Syscalls.h"
#include "port/WAsync.h"

namespace ptl {

constexpr uint32_t kNetSendBlockSize = 65536;
constexpr uint32_t kNetMinWrite = 4096;
// A socket write that completes within kQuickWriteMs did not wait for the peer; one that took longer than
// kSlowWriteMs did.
constexpr DWORD kQuickWriteMs = 20;
constexpr DWORD kSlowWriteMs = 200;

template <class Base> class NetAsync : public AsyncPort<Base> {
protected:
    // name: the class name of the claim, release and thread lines.
    explicit NetAsync(const char *name) : AsyncPort<Base>(name) {
        // Each socket write of the send thread costs the same whatever its size, so a network port moves
        // up to 64 KiB a write instead of 4 KiB: a 4 KiB block makes a threaded send reach about half the
        // speed of a plain blocking loop. setSendBlockSize through the engine's interface still applies.
        this->sendBlockSize_ = static_cast<int>(kNetSendBlockSize);
    }

    bool toleratesWouldBlock() const override { return true; }

    void logClaim() override { this->logClaimAs(this->name_); }
    int openEngineDevice(int) override { return this->connectChecked(); }
    void closeEngineDevice() override { this->closeSocket(); }

    int beforeConnect() override {
        draining_ = false;
        writeSize_ = kNetMinWrite;
        return Base::beforeConnect();
    }

    // Socket writes start at kNetMinWrite bytes and double up to the block size while they complete at once;
    // a write that waited long for the peer drops back to kNetMinWrite, and so do all writes once a release
    // drains the queue. The drain counts progress in whole writes, so a slow but steady reader must see
    // small ones or its job is given up before it has read it.
    int waitSendEmpty(int timeoutMs) override {
        draining_.store(true, std::memory_order_release);
        return AsyncPort<Base>::waitSendEmpty(timeoutMs);
    }

    bool writeBlock(const uint8_t *data, uint32_t len, uint32_t *done) override {
        const uint32_t size = len < writeSize_ ? len : writeSize_;
        const DWORD start = os::GetTickCount();
        const bool ok = this->sendOverlapped(this->sock_.get(), data, size, done);
        const DWORD took = os::GetTickCount() - start;
        if (draining_.load(std::memory_order_acquire) || took > kSlowWriteMs)
            writeSize_ = kNetMinWrite;
        else if (ok && *done == size && took <= kQuickWriteMs && writeSize_ < kNetSendBlockSize)
            writeSize_ *= 2;
        return ok;
    }

    // A connection that the peer reset or aborted never carries data again: its error stays and every
    // send reports it from then on. Other failures are retried as they come.
    void noteWriteFailure(DWORD error) override {
        if (!isConnectionLost(static_cast<int>(error)))
            return;
        if (this->sendFailure_.exchange(error, std::memory_order_acq_rel) == 0)
            debugLine("PTL:  connection lost %d\n", static_cast<int>(error));
    }

    bool readBlock(uint8_t *buf, uint32_t len, uint32_t *done) override {
        return this->recvOverlapped(this->sock_.get(), buf, len, done);
    }

private:
    static bool isConnectionLost(int e) {
        return e == WSAECONNRESET || e == WSAECONNABORTED || e == WSAENETRESET || e == WSAENOTCONN ||
               e == WSAESHUTDOWN;
    }

    std::atomic<bool> draining_{false};
    uint32_t writeSize_ = kNetMinWrite; // the send thread's
};

// The event-driven network ports: the socket's network events select an event that a wait thread (in
// place of the receive thread) reacts to.
template <class Base> class NetEventAsync : public NetAsync<Base> {
protected:
    using NetAsync<Base>::NetAsync;

    // The class's line for the event selection of the claim, written with systemCallLine so that a failed
    // selection's error is kept.
    virtual void eventSelectLine(WSAEVENT event, int result) = 0;

    int beforeConnect() override {
        netEvent_.reset(os::WSACreateEvent());
        if (!netEvent_)
            return kEventsFailed;
        return NetAsync<Base>::beforeConnect();
    }

    int setUpEngine() override {
        const int r = os::WSAEventSelect(this->sock_.get(), netEvent_.get(), kNetEventMask);
        eventSelectLine(netEvent_.get(), r);
        return r == SOCKET_ERROR ? kEventSelectFailed : kOk;
    }

    int startEngineThreads() override {
        return this->startThreads({WAsync::Thread::Send, WAsync::Thread::Third});
    }

    // The socket event is no longer signalled from here on.
    void closeDownEngine() override {
        if (netEvent_ && this->sock_)
            os::WSAEventSelect(this->sock_.get(), netEvent_.get(), 0);
    }

    void closeEngineDevice() override {
        netEvent_.reset();
        NetAsync<Base>::closeEngineDevice();
    }

    void procWait() override { waitForNetworkEvents(); }

    // The wait thread: logs each network event and reads what FD_READ announces.
    void waitForNetworkEvents() {
        debugLine("PTL: %s::procWait() Start\n", this->name_);
        HANDLE pair[2] = {this->stopEvent_.get(), netEvent_.get()};
        while (!this->stopping()) {
            const DWORD rc = os::WaitForMultipleObjects(2, pair, FALSE, INFINITE);
            debugLine("PTL: WaitForMulti()=%d\n", static_cast<int>(rc));
            if (rc == WAIT_FAILED) {
                waitFailedLine();
                // Rest instead of spinning on a wait that keeps failing; the stop event still ends it.
                this->pauseUnlessStopped(kIdleRetryMs);
                continue;
            }
            if (rc != WAIT_OBJECT_0 + 1)
                continue;
            WSANETWORKEVENTS ev{};
            if (os::WSAEnumNetworkEvents(this->sock_.get(), netEvent_.get(), &ev) == SOCKET_ERROR)
                continue;
            if (ev.lNetworkEvents & FD_CONNECT)
                debugLine("PTL:  FD_CONNECT %d\n", ev.iErrorCode[FD_CONNECT_BIT]);
            if (ev.lNetworkEvents & FD_READ) {
                debugLine("PTL:  FD_READ %d\n", ev.iErrorCode[FD_READ_BIT]);
                uint32_t n = 0;
                this->recvOverlapped(this->sock_.get(), this->recvBlock_.get(), this->recvBlockBytes_, &n);
                if (n > 0)
                    this->storeReceived(this->recvBlock_.get(), n);
            }
            if (ev.lNetworkEvents & FD_CLOSE)
                debugLine("PTL:  FD_CLOSE %d\n", ev.iErrorCode[FD_CLOSE_BIT]);
            if (ev.lNetworkEvents & FD_WRITE)
                debugLine("PTL:  FD_WRITE %d\n", ev.iErrorCode[FD_WRITE_BIT]);
        }
        debugLine("PTL: %s::procWait() End\n", this->name_);
    }

private:
    os::WsaEvent netEvent_;
};

} // namespace ptl
