// What the threaded (A) and event-driven (E) network ports share, on top of WNet or WVqnet: the engine's
// loops writing and reading the socket with overlapped I/O, and for E ports the socket event and the wait
// thread that reacts to network events. Each class keeps its own claim line, release and log names.
#pragma once

#include <atomic>

#include "core/Log.h"
#include "core/Results.h"
#include "net/WNet.h"
#include "os/Syscalls.h"
#include "port/WAsync.h"

namespace ptl {

enum class NetVariant { Threaded, Event };

constexpr int kNetSendBlockSize = 65536;

template <class Base> class NetAsync : public AsyncPort<Base> {
protected:
    // name: the class name of the engine's thread lines; selectFormat: the E port's event-selection line.
    NetAsync(const char *name, NetVariant variant, bool connThread = false,
             const char *selectFormat = nullptr)
        : AsyncPort<Base>(name), variant_(variant), connThread_(connThread), selectFormat_(selectFormat) {
        // Each socket write of the send thread costs the same whatever its size, so a network port moves
        // up to 64 KiB a write instead of 4 KiB: a 4 KiB block makes a threaded send reach about half the
        // speed of a plain blocking loop. setSendBlockSize through the engine's interface still applies.
        this->sendBlockSize_ = kNetSendBlockSize;
    }

    bool toleratesWouldBlock() const override { return true; }

    int beforeConnect() override {
        lost_ = false;
        if (variant_ == NetVariant::Event) {
            netEvent_ = os::WSACreateEvent();
            if (netEvent_ == WSA_INVALID_EVENT) {
                netEvent_ = nullptr;
                return kEventsFailed;
            }
        }
        int r = Base::beforeConnect();
        if (r != kOk)
            return r;
        return this->prepareEngine();
    }

    int afterConnect() override {
        if (variant_ == NetVariant::Event) {
            const int r = os::WSAEventSelect(this->sock_, netEvent_, kNetEventMask);
            if (r == SOCKET_ERROR)
                this->recordError(); // before the log line can change the thread's error
            debugLine(selectFormat_, static_cast<unsigned>(reinterpret_cast<uintptr_t>(netEvent_)), r);
            if (r == SOCKET_ERROR)
                return kEventSelectFailed;
            return this->startThreads({WAsync::Thread::Send, WAsync::Thread::Third});
        }
        if (connThread_)
            return this->startThreads({WAsync::Thread::Send, WAsync::Thread::Recv, WAsync::Thread::Third});
        return this->startThreads({WAsync::Thread::Send, WAsync::Thread::Recv});
    }

    // The E port's socket event: no longer signalled from here on (release, before stopping the threads).
    void unselectEvents() {
        if (netEvent_ != nullptr && this->sock_ != INVALID_SOCKET)
            os::WSAEventSelect(this->sock_, netEvent_, 0);
    }
    void closeNetEvent() {
        if (netEvent_ != nullptr)
            os::WSACloseEvent(netEvent_);
        netEvent_ = nullptr;
    }

    // A connection that the peer reset or aborted never carries data again: from then on send says so
    // instead of queueing bytes that can only pile up (the caller would wait for them for ever).
    int send(const void *data, int len, int *written, int p4, int p5, int p6) override {
        if (lost_.load(std::memory_order_acquire)) {
            if (written != nullptr)
                *written = 0;
            return kWriteFailed;
        }
        return this->queueSend(data, len, written, p4, p5, p6);
    }

    bool writeBlock(const uint8_t *data, uint32_t len, uint32_t *done) override {
        const bool ok = this->sendOverlapped(this->sock_, data, len, done);
        if (!ok && *done == 0 && !this->stopping()) {
            const int e = os::WSAGetLastError();
            if (isConnectionLost(e) && !lost_.exchange(true))
                debugLine("PTL:  connection lost %d\n", e);
        }
        return ok;
    }
    bool readBlock(uint8_t *buf, uint32_t len, uint32_t *done) override {
        return this->recvOverlapped(this->sock_, buf, len, done);
    }

    // The E ports' wait thread: logs each network event and reads what FD_READ announces.
    void waitForNetworkEvents() {
        debugLine("PTL: %s::procWait() Start\n", this->name_);
        HANDLE pair[2] = {this->stopEvent_, netEvent_};
        while (!this->stopping()) {
            const DWORD rc = os::WaitForMultipleObjects(2, pair, FALSE, INFINITE);
            debugLine("PTL: WaitForMulti()=%d\n", static_cast<int>(rc));
            if (rc == WAIT_FAILED) {
                debugLine("PTL: WAIT_FAILED %d\n", static_cast<int>(os::GetLastError()));
                // Rest instead of spinning on a wait that keeps failing; the stop event still ends it.
                this->pauseUnlessStopped(kIdleRetryMs);
                continue;
            }
            if (rc != WAIT_OBJECT_0 + 1)
                continue;
            WSANETWORKEVENTS ev{};
            if (os::WSAEnumNetworkEvents(this->sock_, netEvent_, &ev) == SOCKET_ERROR)
                continue;
            if (ev.lNetworkEvents & FD_CONNECT)
                debugLine("PTL:  FD_CONNECT %d\n", ev.iErrorCode[FD_CONNECT_BIT]);
            if (ev.lNetworkEvents & FD_READ) {
                debugLine("PTL:  FD_READ %d\n", ev.iErrorCode[FD_READ_BIT]);
                uint32_t n = 0;
                this->recvOverlapped(this->sock_, this->recvBlock_.get(),
                                     static_cast<uint32_t>(this->recvBlockSize_), &n);
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

    WSAEVENT netEvent_ = nullptr;

private:
    static bool isConnectionLost(int e) {
        return e == WSAECONNRESET || e == WSAECONNABORTED || e == WSAENETRESET || e == WSAENOTCONN ||
               e == WSAESHUTDOWN;
    }

    std::atomic<bool> lost_{false};
    const NetVariant variant_;
    const bool connThread_;
    const char *const selectFormat_;
};

} // namespace ptl
