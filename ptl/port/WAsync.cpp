#include "port/WAsync.h"

#include <algorithm>
#include <new>

#include "core/Log.h"
#include "os/Syscalls.h"

namespace ptl {

namespace {

// Serial drivers end a read or write whose time-out expired with a success status and a short count;
// Wine reports the same completion as a failure with ERROR_TIMEOUT. Both mean "this many bytes moved".
bool isTimeoutCompletion(DWORD error) {
    return error == ERROR_TIMEOUT;
}

} // namespace

WAsync::WAsync(WPort *port, const char *name) : port_(port), name_(name) {
    debugLine("PTL: WAsync::WAsync()\n");
}

WAsync::~WAsync() {
    closeEvents();
}

int WAsync::getSendQueueSize() {
    return sendQueueSize_;
}
int WAsync::getRecvQueueSize() {
    return recvQueueSize_;
}
int WAsync::getSendBlockSize() {
    return sendBlockSize_;
}
int WAsync::getRecvBlockSize() {
    return recvBlockSize_;
}
bool WAsync::setSendQueueSize(int bytes) {
    return sendQueueSize_ = bytes, true;
}
bool WAsync::setRecvQueueSize(int bytes) {
    return recvQueueSize_ = bytes, true;
}
bool WAsync::setSendBlockSize(int bytes) {
    return sendBlockSize_ = bytes, true;
}
bool WAsync::setRecvBlockSize(int bytes) {
    return recvBlockSize_ = bytes, true;
}

// ---------------------------------------------------------------------------------------------------
// Events, queues, threads

bool WAsync::createEvents() {
    // Made one after the other: the first that fails ends the claim.
    stopEvent_.reset(os::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!stopEvent_)
        return false;
    sendWake_.reset(os::CreateEventA(nullptr, FALSE, FALSE, nullptr));
    if (!sendWake_)
        return false;
    sendEmpty_.reset(os::CreateEventA(nullptr, FALSE, FALSE, nullptr));
    if (!sendEmpty_)
        return false;
    OVERLAPPED *ovs[] = {&writeOv_, &readOv_, &waitOv_};
    for (int i = 0; i < 3; ++i) {
        ioEvents_[i].reset(os::CreateEventA(nullptr, TRUE, FALSE, nullptr));
        if (!ioEvents_[i])
            return false;
        *ovs[i] = OVERLAPPED{};
        ovs[i]->hEvent = ioEvents_[i].get();
    }
    recvArrived_.reset(os::CreateEventA(nullptr, FALSE, FALSE, nullptr));
    if (!recvArrived_)
        return false;
    sendWaitPair_[0] = writeWaitPair_[0] = readWaitPair_[0] = stopEvent_.get();
    sendWaitPair_[1] = sendWake_.get();
    writeWaitPair_[1] = writeOv_.hEvent;
    readWaitPair_[1] = readOv_.hEvent;
    return true;
}

void WAsync::closeEvents() {
    for (OVERLAPPED *ov : {&writeOv_, &readOv_, &waitOv_})
        *ov = OVERLAPPED{};
    for (os::Handle *h :
         {&ioEvents_[0], &ioEvents_[1], &ioEvents_[2], &stopEvent_, &sendWake_, &sendEmpty_, &recvArrived_})
        h->reset();
    sendWaitPair_[0] = sendWaitPair_[1] = nullptr;
    writeWaitPair_[0] = writeWaitPair_[1] = nullptr;
    readWaitPair_[0] = readWaitPair_[1] = nullptr;
}

bool WAsync::createQueues() {
    sendQueue_.reset();
    sendQueue_ = makeQueue(sendQueueType_, static_cast<uint32_t>(sendQueueSize_));
    if (!sendQueue_) {
        deleteQueues();
        return false;
    }
    recvQueue_.reset();
    recvQueue_ = makeQueue(recvQueueType_, static_cast<uint32_t>(recvQueueSize_));
    if (!recvQueue_) {
        deleteQueues();
        return false;
    }
    sendBlock_.reset();
    recvBlock_.reset();
    if (sendBlockSize_ > 0)
        sendBlock_.reset(new (std::nothrow) uint8_t[static_cast<size_t>(sendBlockSize_)]);
    if (recvBlockSize_ > 0)
        recvBlock_.reset(new (std::nothrow) uint8_t[static_cast<size_t>(recvBlockSize_)]);
    if (!sendBlock_ || !recvBlock_) {
        deleteQueues();
        return false;
    }
    // The threads move data through these buffers with the sizes they were made with: a size set while
    // claimed only applies at the next claim.
    sendBlockBytes_ = static_cast<uint32_t>(sendBlockSize_);
    recvBlockBytes_ = static_cast<uint32_t>(recvBlockSize_);
    sendCursor_ = sendBlock_.get();
    sendPending_ = 0;
    sendIdle_ = false;
    drainWatched_.store(false, std::memory_order_release);
    recvPending_ = 0;
    sendFailure_.store(0, std::memory_order_release);
    return true;
}

void WAsync::deleteQueues() {
    std::scoped_lock both(sendLock_, recvLock_); // only at release, after the threads are gone
    sendBlock_.reset();
    recvBlock_.reset();
    sendQueue_.reset();
    recvQueue_.reset();
    sendCursor_ = nullptr;
    sendPending_ = 0;
    sendBlockBytes_ = recvBlockBytes_ = 0;
}

int WAsync::prepareEngine() {
    if (!createEvents())
        return kEventsFailed;
    if (!createQueues())
        return kQueueFailed;
    return kOk;
}

DWORD WINAPI WAsync::sendEntry(LPVOID self) {
    static_cast<WAsync *>(self)->procSend();
    return 0;
}

DWORD WINAPI WAsync::recvEntry(LPVOID self) {
    static_cast<WAsync *>(self)->procRecv();
    return 0;
}

DWORD WINAPI WAsync::thirdEntry(LPVOID self) {
    static_cast<WAsync *>(self)->procWait();
    return 0;
}

int WAsync::startThreads(std::initializer_list<Thread> order) {
    stop_.store(0, std::memory_order_release);
    for (Thread t : order) {
        os::Handle *slot = t == Thread::Send   ? &sendThread_
                           : t == Thread::Recv ? &recvThread_
                                               : &thirdThread_;
        DWORD *id = t == Thread::Send ? &sendThreadId_ : t == Thread::Recv ? &recvThreadId_ : &thirdThreadId_;
        LPTHREAD_START_ROUTINE entry = t == Thread::Send   ? sendEntry
                                       : t == Thread::Recv ? recvEntry
                                                           : thirdEntry;
        slot->reset(os::CreateThread(nullptr, 0, entry, this, 0, id));
        if (!*slot)
            return kThreadFailed;
    }
    return kOk;
}

void WAsync::stopThreads() {
    debugLine("PTL: WAsync::stopThreads()\n");
    stop_.store(1, std::memory_order_release);
    if (stopEvent_)
        os::SetEvent(stopEvent_.get());
    for (os::Handle *h : {&sendThread_, &recvThread_, &thirdThread_}) {
        if (!*h)
            continue;
        if (os::WaitForSingleObject(h->get(), INFINITE) == WAIT_FAILED)
            waitFailedLine();
        h->reset();
    }
    sendThreadId_ = recvThreadId_ = thirdThreadId_ = 0;
}

void WAsync::stopEngine() {
    stopThreads();
    deleteQueues();
    closeEvents();
}

bool WAsync::pauseUnlessStopped(DWORD ms) {
    if (stopping())
        return true;
    if (!stopEvent_) {
        os::Sleep(ms);
        return stopping();
    }
    return os::WaitForSingleObject(stopEvent_.get(), ms) == WAIT_OBJECT_0 || stopping();
}

// ---------------------------------------------------------------------------------------------------
// Overlapped I/O

WAsync::Pending WAsync::waitPending(HANDLE h, OVERLAPPED *ov, HANDLE *pair) {
    const DWORD rc = os::WaitForMultipleObjects(2, pair, FALSE, INFINITE);
    if (rc == WAIT_OBJECT_0 + 1)
        return Pending::Done;
    if (rc == WAIT_OBJECT_0) {
        // The buffer and the OVERLAPPED belong to the engine and are freed at release: the I/O must be
        // over before this thread lets go of them.
        os::CancelIo(h);
        DWORD ignored = 0;
        os::GetOverlappedResult(h, ov, &ignored, TRUE);
        return Pending::Stopped;
    }
    waitFailedLine();
    return Pending::WaitFailed;
}

// The end of an overlapped file read or write that was started: when it is pending, wait for it or for the
// stop event. call and tag name the log lines ("WriteFile"/"WGOR", "ReadFile"/"RGOR").
bool WAsync::finishFileIo(BOOL started, HANDLE h, OVERLAPPED *ov, HANDLE *pair, uint32_t len, DWORD n,
                          const char *call, const char *tag, uint32_t *done) {
    bool result = false;
    DWORD failure = 0;
    if (started) {
        result = true;
    } else {
        const DWORD err = os::GetLastError();
        failure = err;
        if (err == ERROR_INVALID_HANDLE) {
        } else if (err != ERROR_IO_PENDING) {
            debugLine("PTL: %s dwErr=%d\n", call, static_cast<int>(err));
        } else {
            switch (waitPending(h, ov, pair)) {
            case Pending::Done:
                if (os::GetOverlappedResult(h, ov, &n, TRUE)) {
                    result = true;
                } else {
                    const DWORD e = os::GetLastError();
                    failure = e;
                    if (isTimeoutCompletion(e)) {
                        result = true;
                    } else {
                        debugLine("PTL: %s(%d/%d) dwErr=%d *****\n", tag, static_cast<int>(n),
                                  static_cast<int>(len), static_cast<int>(e));
                    }
                }
                break;
            case Pending::Stopped:
            case Pending::WaitFailed:
                n = 0;
                break;
            }
        }
    }
    *done = n;
    os::ResetEvent(ov->hEvent);
    if (!result)
        os::SetLastError(failure); // for the caller, past the log line and the reset
    return result;
}

bool WAsync::writeOverlapped(HANDLE h, const void *data, uint32_t len, uint32_t *done, FileWrite write) {
    DWORD n = 0;
    const BOOL started =
        write != nullptr ? write(h, data, len, &n, &writeOv_) : os::WriteFile(h, data, len, &n, &writeOv_);
    return finishFileIo(started, h, &writeOv_, writeWaitPair_, len, n, "WriteFile", "WGOR", done);
}

bool WAsync::readOverlapped(HANDLE h, void *buf, uint32_t len, uint32_t *done, FileRead read) {
    DWORD n = 0;
    const BOOL started =
        read != nullptr ? read(h, buf, len, &n, &readOv_) : os::ReadFile(h, buf, len, &n, &readOv_);
    return finishFileIo(started, h, &readOv_, readWaitPair_, len, n, "ReadFile", "RGOR", done);
}

// The end of an overlapped socket send or receive that was started: when it is pending, wait for it or for
// the stop event. A receive that ends with 0 bytes (a closed connection) is paced by the thread loop.
bool WAsync::finishSocketIo(bool started, SOCKET s, OVERLAPPED *ov, HANDLE *pair, DWORD n, uint32_t *done) {
    bool result = started;
    int failure = started ? 0 : os::WSAGetLastError();
    if (failure == WSA_IO_PENDING) {
        if (waitPending(reinterpret_cast<HANDLE>(s), ov, pair) == Pending::Done) {
            DWORD flags = 0;
            result = os::WSAGetOverlappedResult(s, ov, &n, TRUE, &flags) != FALSE;
            failure = result ? 0 : os::WSAGetLastError();
            if (!result)
                n = 0;
        } else {
            n = 0;
        }
    }
    *done = n;
    os::ResetEvent(ov->hEvent);
    if (!result)
        os::SetLastError(static_cast<DWORD>(failure)); // for the caller, past the reset
    return result;
}

bool WAsync::sendOverlapped(SOCKET s, const void *data, uint32_t len, uint32_t *done) {
    WSABUF buffer{len, static_cast<char *>(const_cast<void *>(data))};
    DWORD n = 0;
    const bool started = os::WSASend(s, &buffer, 1, &n, 0, &writeOv_, nullptr) != SOCKET_ERROR;
    return finishSocketIo(started, s, &writeOv_, writeWaitPair_, n, done);
}

bool WAsync::recvOverlapped(SOCKET s, void *buf, uint32_t len, uint32_t *done) {
    WSABUF buffer{len, static_cast<char *>(buf)};
    DWORD n = 0;
    DWORD flags = 0;
    const bool started = os::WSARecv(s, &buffer, 1, &n, &flags, &readOv_, nullptr) != SOCKET_ERROR;
    return finishSocketIo(started, s, &readOv_, readWaitPair_, n, done);
}

// ---------------------------------------------------------------------------------------------------
// Queue-level operations

int WAsync::sendQueueCount(int32_t *n) {
    std::lock_guard<std::mutex> g(sendLock_);
    if (!sendQueue_)
        return kQueueFailed;
    if (n == nullptr)
        return kNullArgument;
    *n = sendQueue_->count() + sendPending_;
    return kOk;
}

int WAsync::recvQueueCount(int32_t *n) {
    std::lock_guard<std::mutex> g(recvLock_);
    if (!recvQueue_)
        return kQueueFailed;
    if (n == nullptr)
        return kNullArgument;
    *n = recvQueue_->count();
    return kOk;
}

int WAsync::purgeSendQueue() {
    std::lock_guard<std::mutex> g(sendLock_);
    if (!sendQueue_)
        return kPurgeFailed;
    // A block being written is dropped: the send thread only ever lowers pending down to 0.
    sendPending_ = 0;
    sendQueue_->clear();
    return kOk;
}

int WAsync::purgeRecvQueue() {
    std::lock_guard<std::mutex> g(recvLock_);
    if (!recvQueue_)
        return kPurgeFailed;
    recvPending_ = 0;
    recvQueue_->clear();
    return kOk;
}

int WAsync::queueSend(const void *data, int len, int *written, int p4, int p5, int p6) {
    // A failed send took nothing: the caller's count must not say otherwise.
    if (written != nullptr)
        *written = 0;
    if (reportSendFailure())
        return kWriteFailed;
    uint32_t stored = 0;
    bool wake = false;
    {
        std::lock_guard<std::mutex> g(sendLock_);
        if (!sendQueue_)
            return kWriteFailed;
        if (written == nullptr)
            return kNullArgument;
        if (len > 0 && data != nullptr)
            sendQueue_->put(static_cast<const uint8_t *>(data), static_cast<uint32_t>(len), &stored, p4, p5,
                            p6);
        *written = static_cast<int>(stored);
        // The thread is woken only when it waits: a thread at work finds the bytes at its next look.
        wake = stored > 0 && sendIdle_;
        if (wake)
            sendIdle_ = false;
    }
    if (wake)
        os::SetEvent(sendWake_.get());
    return kOk;
}

int WAsync::queueRecv(void *buffer, int size, int *got) {
    std::lock_guard<std::mutex> g(recvLock_);
    if (!recvQueue_)
        return kReadFailed;
    if (got == nullptr)
        return kNullArgument;
    uint32_t n = 0;
    if (size > 0 && buffer != nullptr)
        recvQueue_->get(static_cast<uint8_t *>(buffer), static_cast<uint32_t>(size), &n, nullptr, nullptr,
                        nullptr);
    *got = static_cast<int>(n);
    return kOk;
}

int WAsync::queueRecvWithin(void *buffer, int size, int *got, int timeoutMs) {
    const DWORD limit = static_cast<DWORD>(timeoutMs);
    const DWORD start = os::GetTickCount();
    for (;;) {
        const int r = queueRecv(buffer, size, got);
        if (r != kOk || *got > 0 || size <= 0)
            return r;
        // The queue and its event live until release, which the caller's own thread would have to call.
        const DWORD spent = os::GetTickCount() - start;
        if (spent >= limit)
            return kTimeout;
        // A signal left from bytes already read only costs one more look at the queue.
        const DWORD wait = limit == INFINITE ? INFINITE : limit - spent;
        if (os::WaitForSingleObject(recvArrived_.get(), wait) == WAIT_FAILED)
            return kReadFailed;
    }
}

void WAsync::noteWriteFailure(DWORD error) {
    sendFailure_.store(error, std::memory_order_release);
}

bool WAsync::reportSendFailure() {
    const DWORD error = sendFailure_.load(std::memory_order_acquire);
    if (error != 0)
        os::SetLastError(error);
    return error != 0;
}

int WAsync::withSendFailure(int r) {
    if (r == kWriteFailed)
        reportSendFailure();
    return r;
}

void WAsync::storeReceived(const uint8_t *data, uint32_t n) {
    uint32_t stored = 0;
    {
        std::lock_guard<std::mutex> g(recvLock_);
        // A library may deliver data on its own thread after release: the port no longer takes any.
        if (!recvQueue_)
            return;
        recvQueue_->put(data, n, &stored, 0, 0, 0);
        // Under the lock: a release on another thread cannot close the event between the check and here.
        if (stored > 0)
            os::SetEvent(recvArrived_.get());
    }
    if (port_->recvHook != nullptr)
        port_->recvHook(port_, static_cast<int>(stored));
}

// ---------------------------------------------------------------------------------------------------
// Thread loops

DWORD WAsync::idleRetryMs() const {
    return kIdleRetryMs;
}

bool WAsync::writeBlock(const uint8_t *data, uint32_t len, uint32_t *done) {
    return writeOverlapped(reinterpret_cast<HANDLE>(port_->getHandle()), data, len, done);
}

bool WAsync::readBlock(uint8_t *buf, uint32_t len, uint32_t *done) {
    return readOverlapped(reinterpret_cast<HANDLE>(port_->getHandle()), buf, len, done);
}

void WAsync::procSend() {
    debugLine("PTL: %s::procSend() Start\n", name_);
    int32_t u2 = 0, u3 = 0;
    while (!stopping()) {
        int32_t pending;
        {
            std::lock_guard<std::mutex> g(sendLock_);
            if (sendPending_ == 0) {
                uint32_t got = 0;
                int32_t u1 = 0;
                sendQueue_->get(sendBlock_.get(), sendBlockBytes_, &got, &u1, &u2, &u3);
                sendPending_ = static_cast<int32_t>(got);
                sendCursor_ = sendBlock_.get();
            }
            pending = sendPending_;
            // Set under the lock that a send holds while it queues, so no send can miss it.
            sendIdle_ = pending == 0;
        }
        if (pending == 0) {
            if (drainWatched_.load(std::memory_order_acquire))
                os::SetEvent(sendEmpty_.get());
            if (os::WaitForMultipleObjects(2, sendWaitPair_, FALSE, INFINITE) == WAIT_FAILED)
                waitFailedLine();
            continue;
        }
        while (!stopping()) {
            const uint8_t *cursor;
            {
                std::lock_guard<std::mutex> g(sendLock_);
                pending = sendPending_;
                cursor = sendCursor_;
            }
            if (pending <= 0)
                break;
            uint32_t written = 0;
            const bool ok = writeBlock(cursor, static_cast<uint32_t>(pending), &written);
            const DWORD error = ok ? 0 : os::GetLastError();
            if (!ok && written == 0 && !stopping())
                noteWriteFailure(error != 0 ? error : static_cast<DWORD>(ERROR_WRITE_FAULT));
            if (written > 0) {
                sendFailure_.store(0, std::memory_order_release);
                {
                    std::lock_guard<std::mutex> g(sendLock_);
                    // clearSend may have dropped the block meanwhile: never below 0, never past the block.
                    const int32_t step = std::min(static_cast<int32_t>(written), sendPending_);
                    sendCursor_ += step;
                    sendPending_ -= step;
                }
                if (port_->sendHook != nullptr)
                    port_->sendHook(port_, static_cast<int>(written), u2, u3);
            } else {
                // Nothing moved (a failure, or a time-out with the device holding off): retry after a
                // short pause rather than at once, so a dead device cannot make this thread spin.
                if (pauseUnlessStopped(idleRetryMs()))
                    break;
            }
        }
    }
    debugLine("PTL: %s::procSend() End\n", name_);
}

void WAsync::procRecv() {
    debugLine("PTL: %s::procRecv() Start\n", name_);
    while (!stopping()) {
        uint32_t n = 0;
        const bool ok = readBlock(recvBlock_.get(), recvBlockBytes_, &n);
        if (!ok)
            afterFailedRead();
        if (n == 0) {
            // A read that fails at once, or a device set to return at once, must not make this spin.
            pauseUnlessStopped(idleRetryMs());
            continue;
        }
        storeReceived(recvBlock_.get(), n);
    }
    debugLine("PTL: %s::procRecv() End\n", name_);
}

} // namespace ptl
