#include "serial/WComE.h"

#include "core/Log.h"
#include "os/Syscalls.h"

namespace ptl {

WComE::WComE() : CommAsync<WCom>("WComE", "COM") {}

WComE::~WComE() {
    release(0);
}

int WComE::getIOMode() {
    return 2;
}

int WComE::setUpEngine() {
    if (!os::SetCommMask(handle_.get(), kComEventMask) || !startComm())
        return kSystemCallFailed;
    return kOk;
}

int WComE::startEngineThreads() {
    return startThreads({Thread::Send, Thread::Third});
}

void WComE::closeDownEngine() {
    // Ends a WaitCommEvent in progress.
    os::SetCommMask(handle_.get(), 0);
    dropLines();
}

void WComE::readArrived() {
    uint32_t n = 0;
    readBlock(recvBlock_.get(), static_cast<uint32_t>(recvBlockSize_), &n);
    if (n > 0)
        storeReceived(recvBlock_.get(), n);
}

void WComE::procWait() {
    debugLine("PTL: WComE::procWait() Start\n");
    HANDLE pair[2] = {stopEvent_.get(), waitOv_.hEvent};
    while (!stopping()) {
        // The driver writes the event word when the wait completes: it must outlive any pending wait,
        // which this loop guarantees by cancelling and collecting a wait that the stop cut short.
        DWORD event = 0;
        const BOOL ok = os::WaitCommEvent(handle_.get(), &event, &waitOv_);
        DWORD error = 0;
        systemCallLine(!ok, &error, "PTL: WaitCommEvent(%04X)=%d\n", static_cast<unsigned>(event), ok);
        if (!ok && error == ERROR_IO_PENDING) {
            const DWORD rc = os::WaitForMultipleObjects(2, pair, FALSE, INFINITE);
            debugLine("PTL:  WaitForMulti()=%d\n", static_cast<int>(rc));
            if (rc == WAIT_OBJECT_0 + 1) {
                DWORD n = 0;
                const BOOL got = os::GetOverlappedResult(handle_.get(), &waitOv_, &n, FALSE);
                debugLine("PTL:  GetOverlappedResult(%04X)=%d\n", static_cast<unsigned>(n), got);
            } else if (rc == WAIT_FAILED) {
                waitFailedLine();
            } else if (rc == WAIT_OBJECT_0) {
                os::CancelIo(handle_.get());
                DWORD n = 0;
                os::GetOverlappedResult(handle_.get(), &waitOv_, &n, TRUE);
                event = 0;
            }
        }
        debugLine("PTL: dwEvt=%04X\n", static_cast<unsigned>(event));
        if (event & EV_RXCHAR) {
            debugLine("PTL:  EV_RXCHAR\n");
            readArrived();
        }
        if (event & EV_ERR)
            debugLine("PTL:  EV_ERR\n");
        if (event == 0 && !stopping()) {
            // No event: a driver that cannot report them (Wine), a failed wait, or a mask being
            // changed by release. Rest instead of spinning, then read what the driver holds anyway.
            if (pauseUnlessStopped(kEmptyEventPauseMs))
                break;
            DWORD errors = 0;
            COMSTAT st{};
            if (os::ClearCommError(handle_.get(), &errors, &st) && st.cbInQue > 0)
                readArrived();
        }
    }
    debugLine("PTL: WComE::procWait() End\n");
}

} // namespace ptl
