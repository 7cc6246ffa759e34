// The engine of the threaded ("A") and event-driven ("E") ports: send and receive queues, block
// buffers, the stop flag and events, overlapped file and socket I/O that gives up when the port stops,
// and the thread loops. A threaded port class is written as
//
//     class WComA : public AsyncPort<WCom> { ... };
//
// AsyncPort<Base> adds WAsync as the second base and implements the queue-level port operations and the
// claim and release sequence once. The class writes only its differences, as hooks:
//
//   claim(t):   logClaim (default "PTL: <name>::claim()"); release(0); openEngineDevice (1013 / 1014 ...);
//               prepareEngine (1016 events, 1011 queues and buffers); setUpEngine (serial: startComm);
//               startEngineThreads (the class's order, default send then receive; 1015);
//               any failure releases before it returns.
//   release(t): not claimed -> 0; "PTL: <releaseName>::release(t)"; r = waitSendEmpty(t) (the send thread
//               drains); closeDownEngine (before the threads stop); stopThreads; afterThreadsStopped(t);
//               queues and events go; closeEngineDevice; r, with the send failure's system error.
//   writers:    writeBlock/readBlock default to writeOverlapped/readOverlapped on getHandle(); socket
//               classes override them with sendOverlapped/recvOverlapped.
//   threads:    procSend and procRecv are the engine's loops; a class overrides afterFailedRead (serial:
//               ClearCommError) or a whole body (procWait of the event-driven ports).
//   destructor: the class's destructor calls release(0) while its hooks are still its own.
//
// Locks: the send lock guards the send queue, send pending, send cursor and the send thread's idle flag;
// the receive lock guards the receive queue. They are never held together and no lock is held while a
// hook runs or a device is written or read.
#pragma once

#include <windows.h>
#include <winsock2.h>

#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <mutex>

#include "core/Log.h"
#include "core/Results.h"
#include "os/Owned.h"
#include "os/Syscalls.h"
#include "port/PortQueue.h"
#include "port/WPort.h"

namespace ptl {

class WAsync {
public:
    // The engine's own eight-operation interface: sizes used at the next claim. The setters store their
    // argument unchecked and answer 1; a ring size that is not a power of two makes that claim fail with
    // 1011.
    virtual int getSendQueueSize();
    virtual int getRecvQueueSize();
    virtual int getSendBlockSize();
    virtual int getRecvBlockSize();
    virtual bool setSendQueueSize(int bytes);
    virtual bool setRecvQueueSize(int bytes);
    virtual bool setSendBlockSize(int bytes);
    virtual bool setRecvBlockSize(int bytes);

    WAsync(const WAsync &) = delete;
    WAsync &operator=(const WAsync &) = delete;

    enum class Thread { Send, Recv, Third };

protected:
    // port: the object whose hooks and handle the engine uses; name: the class name of the log lines.
    WAsync(WPort *port, const char *name);
    virtual ~WAsync();

    // --- Building blocks -------------------------------------------------------------------------
    bool createEvents(); // false: the claim fails with 1016
    void closeEvents();
    bool createQueues(); // false: the claim fails with 1011
    void deleteQueues();
    void stopThreads(); // stop flag and event, then join send, receive, third; safe without threads

    // Overlapped I/O that ends early when the stop event is set. An I/O still pending at a stop is
    // cancelled and waited for, so its buffer and OVERLAPPED are free to reuse once these return. The file
    // routines start the I/O with WriteFile / ReadFile, or with a library's call of the same form.
    using FileWrite = BOOL(WINAPI *)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
    using FileRead = BOOL(WINAPI *)(HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED);
    bool writeOverlapped(HANDLE h, const void *data, uint32_t len, uint32_t *done, FileWrite write = nullptr);
    bool readOverlapped(HANDLE h, void *buf, uint32_t len, uint32_t *done, FileRead read = nullptr);
    bool sendOverlapped(SOCKET s, const void *data, uint32_t len, uint32_t *done);
    bool recvOverlapped(SOCKET s, void *buf, uint32_t len, uint32_t *done);

    // Result codes: 1011 (count, no queue), 1104 (purge, no queue), 1030 for a null out-pointer.
    int sendQueueCount(int32_t *n);
    int recvQueueCount(int32_t *n);
    int purgeSendQueue();
    int purgeRecvQueue();

    // --- The contract, written once ----------------------------------------------------------------
    // createEvents then createQueues: 0, 1016 or 1011. The caller releases on failure.
    int prepareEngine();
    // Clears the stop flag and starts the threads in the given order: 0, or 1015 at the first failure
    // (the caller releases, which stops the threads that did start).
    int startThreads(std::initializer_list<Thread> order);
    // stopThreads, deleteQueues, closeEvents.
    void stopEngine();

    // Queue-level send and recv of every threaded port: 1101 / 1102 when not claimed, else 0 at once.
    int queueSend(const void *data, int len, int *written, int p4, int p5, int p6);
    int queueRecv(void *buffer, int size, int *got);
    // queueRecv that waits up to timeoutMs (as unsigned) for the first byte on the arrival signal: 1019
    // when none came; the wait never spins, and the clock is the seam's tick count.
    int queueRecvWithin(void *buffer, int size, int *got, int timeoutMs);

    // The failure of the send thread's latest write, when it moved nothing: true with the system error set
    // as the thread's last error. Cleared by a write that moves bytes and at each claim.
    bool reportSendFailure();
    // A release's result: when it is the send thread's failure, that failure's system error is set again
    // as the last error, past the close-down calls that may have changed it.
    int withSendFailure(int r);

    // Puts received bytes into the receive queue and calls the receive hook. For thread bodies.
    void storeReceived(const uint8_t *data, uint32_t n);
    // Waits up to ms on the stop event; true when the port is stopping.
    bool pauseUnlessStopped(DWORD ms);
    bool stopping() const { return stop_.load(std::memory_order_acquire) != 0; }

    // --- What a class may replace ----------------------------------------------------------------
    // The device writer and reader of the engine loops (default: overlapped file I/O on getHandle()).
    virtual bool writeBlock(const uint8_t *data, uint32_t len, uint32_t *done);
    virtual bool readBlock(uint8_t *buf, uint32_t len, uint32_t *done);
    // Called by procRecv after a failed read (serial ports clear the line error here).
    virtual void afterFailedRead() {}
    // The pause before a write or read that moved nothing is tried again (default kIdleRetryMs).
    virtual DWORD idleRetryMs() const;
    // Called by procSend when a write failed and moved nothing, with its system error: by default the
    // next send and the release's drain report it.
    virtual void noteWriteFailure(DWORD error);
    // Thread bodies. procSend and procRecv are the engine's loops; procWait has no default work.
    virtual void procSend();
    virtual void procRecv();
    virtual void procWait() {}

    WPort *const port_;
    const char *const name_;

    // Sizes and kinds for the next claim.
    int sendQueueType_ = kRingQueue;
    int recvQueueType_ = kRingQueue;
    int sendQueueSize_ = 0x40000;
    int recvQueueSize_ = 0x40000;
    int sendBlockSize_ = 4096;
    int recvBlockSize_ = 4096;

    // Per claim.
    std::mutex sendLock_;
    std::mutex recvLock_;
    std::unique_ptr<PortQueue> sendQueue_;
    std::unique_ptr<PortQueue> recvQueue_;
    std::unique_ptr<uint8_t[]> sendBlock_;
    uint8_t *sendCursor_ = nullptr;
    int32_t sendPending_ = 0;
    std::unique_ptr<uint8_t[]> recvBlock_;
    int32_t recvPending_ = 0;
    // The sizes the block buffers were made with at claim; the threads use these, never the setters' values.
    uint32_t sendBlockBytes_ = 0;
    uint32_t recvBlockBytes_ = 0;
    // System error of the send thread's latest write when it moved nothing; 0 otherwise.
    std::atomic<DWORD> sendFailure_{0};
    std::atomic<bool> drainWatched_{false}; // a drain waits for sendEmpty_

    std::atomic<int32_t> stop_{0};
    os::Handle stopEvent_;
    os::Handle sendWake_;    // set by a send only while the send thread waits (sendIdle_)
    os::Handle sendEmpty_;   // set by the send thread each time the queue and its block are empty
    os::Handle recvArrived_; // set (under the receive lock) each time bytes enter the receive queue
    bool sendIdle_ = false;  // the send thread found nothing to send and waits for sendWake_
    HANDLE sendWaitPair_[2] = {nullptr, nullptr};
    os::Handle sendThread_;
    os::Handle recvThread_;
    os::Handle thirdThread_;
    DWORD sendThreadId_ = 0;
    DWORD recvThreadId_ = 0;
    DWORD thirdThreadId_ = 0;
    OVERLAPPED writeOv_{};
    OVERLAPPED readOv_{};
    OVERLAPPED waitOv_{};
    os::Handle ioEvents_[3]; // the events of writeOv_, readOv_, waitOv_
    HANDLE writeWaitPair_[2] = {nullptr, nullptr};
    HANDLE readWaitPair_[2] = {nullptr, nullptr};

private:
    static DWORD WINAPI sendEntry(LPVOID self);
    static DWORD WINAPI recvEntry(LPVOID self);
    static DWORD WINAPI thirdEntry(LPVOID self);
    // The end of an I/O that is pending: waits for it or for the stop event (then cancels it).
    enum class Pending { Done, Stopped, WaitFailed };
    Pending waitPending(HANDLE h, OVERLAPPED *ov, HANDLE *pair);
    bool finishFileIo(BOOL started, HANDLE h, OVERLAPPED *ov, HANDLE *pair, uint32_t len, DWORD n,
                      const char *call, const char *tag, uint32_t *done);
    bool finishSocketIo(bool started, SOCKET s, OVERLAPPED *ov, HANDLE *pair, DWORD n, uint32_t *done);
};

// Delay before a device write or read that moved nothing is tried again, so that a device that fails at
// once cannot make a thread spin. The stop event cuts it short.
constexpr DWORD kIdleRetryMs = 20;

// The queue-level port operations and the claim and release of every threaded class, on top of Base (a
// WPort class).
template <class Base> class AsyncPort : public Base, public WAsync {
public:
    int claim(int timeoutMs) override {
        logClaim();
        this->release(0);
        int r = openEngineDevice(timeoutMs);
        if (r == kOk)
            r = prepareEngine();
        if (r == kOk)
            r = setUpEngine();
        if (r == kOk)
            r = startEngineThreads();
        if (r != kOk)
            this->release(0);
        return r;
    }
    int release(int timeoutMs) override {
        if (!this->isClaimed())
            return kOk;
        debugLine("PTL: %s::release(%d)\n", releaseName(), timeoutMs);
        const int r = this->waitSendEmpty(timeoutMs);
        closeDownEngine();
        stopThreads();
        afterThreadsStopped(timeoutMs);
        deleteQueues();
        closeEvents();
        closeEngineDevice();
        return withSendFailure(r);
    }
    int send(const void *data, int len, int *written, int p4, int p5, int p6) override {
        return queueSend(data, len, written, p4, p5, p6);
    }
    int recv(void *buffer, int size, int *got, int) override { return queueRecv(buffer, size, got); }
    int recvWithin(void *buffer, int size, int *got, int timeoutMs) override {
        return queueRecvWithin(buffer, size, got, timeoutMs);
    }
    int getSendCount(int *n) override { return sendQueueCount(reinterpret_cast<int32_t *>(n)); }
    int getRecvCount(int *n) override { return recvQueueCount(reinterpret_cast<int32_t *>(n)); }
    int clearSend() override {
        purgeDeviceSend();
        return purgeSendQueue();
    }
    int clearRecv() override {
        purgeDeviceRecv();
        return purgeRecvQueue();
    }
    int getSendQueueType(int *kind) override { return readInto(sendQueueType_, kind); }
    int setSendQueueType(int kind) override {
        sendQueueType_ = kind;
        return kOk;
    }
    int getRecvQueueType(int *kind) override { return readInto(recvQueueType_, kind); }
    int setRecvQueueType(int kind) override {
        recvQueueType_ = kind;
        return kOk;
    }

protected:
    explicit AsyncPort(const char *name) : WAsync(this, name) {}

    int sendFailure() override { return reportSendFailure() ? kWriteFailed : kOk; }
    HANDLE sendEmptySignal() override {
        // From now on the send thread signals each time the queue empties; until a drain asks, it spares
        // itself that system call on every block.
        drainWatched_.store(true, std::memory_order_release);
        return sendEmpty_.get();
    }

    // --- The claim's and release's hooks ------------------------------------------------------------
    virtual void logClaim() { debugLine("PTL: %s::claim()\n", name_); }
    // Opens the device for overlapped I/O (timeoutMs: the claim's); a device it leaves open on failure is
    // closed by the release.
    virtual int openEngineDevice(int timeoutMs) = 0;
    // Device set-up between the engine and the threads; its failure code fails the claim.
    virtual int setUpEngine() { return kOk; }
    virtual int startEngineThreads() { return startThreads({Thread::Send, Thread::Recv}); }
    // The class name of the release line.
    virtual const char *releaseName() const { return name_; }
    // After the drain, before the threads stop (a device's own waits are ended here).
    virtual void closeDownEngine() {}
    // After the threads stopped, before the queues and events go.
    virtual void afterThreadsStopped(int /*timeoutMs*/) {}
    virtual void closeEngineDevice() = 0;

    // The device purge that clearSend / clearRecv do before emptying the queue (serial: PurgeComm);
    // its result does not change theirs.
    virtual void purgeDeviceSend() {}
    virtual void purgeDeviceRecv() {}
};

} // namespace ptl
