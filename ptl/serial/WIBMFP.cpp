#include "serial/WIBMFP.h"

#include "core/Console.h"
#include "core/Log.h"
#include "core/Target.h"
#include "os/Syscalls.h"

namespace ptl {

WIBMFP::WIBMFP() : AsyncPort<WCom>("WIBMFP") {
    dcb_.fDtrControl = DTR_CONTROL_DISABLE;
    dcb_.fRtsControl = RTS_CONTROL_DISABLE;
    // The wait thread reads one byte per RTS raise and waits at most half a second for it.
    timeouts_ = COMMTIMEOUTS{0, 0, 500, 0, 500};
}

WIBMFP::~WIBMFP() {
    WIBMFP::release(0);
}

int WIBMFP::getIFType() {
    return kIfIbmFp;
}
int WIBMFP::getIOMode() {
    return 1;
}
const char *WIBMFP::getIFName() {
    return "IBMFP";
}

int WIBMFP::setPortNo(int no) {
    portNo_ = no; // the range is checked by the claim
    devicePath_[0] = '\0';
    return kOk;
}

// Blocking I/O: only the wait thread uses the line.
int WIBMFP::openEngineDevice(int) {
    return openDevice("COM", 0);
}

int WIBMFP::setUpEngine() {
    if (!startComm())
        return kSystemCallFailed;
    return escape(SETDTR) && escape(CLRRTS) ? kOk : kIbmProtocolFailed;
}

int WIBMFP::startEngineThreads() {
    debugLine("PTL: WIBMFP::start Threads\n");
    return startThreads({Thread::Third});
}

void WIBMFP::closeEngineDevice() {
    closeDevice("COM");
}

// The link has no drain result to report.
int WIBMFP::release(int timeoutMs) {
    AsyncPort<WCom>::release(timeoutMs);
    return kOk;
}

int WIBMFP::send(const void *, int len, int *written, int, int, int) {
    if (written != nullptr)
        *written = 0;
    debugLine("PTL: WIBMFP::send(%d) refused: the link has no data frame\n", len);
    os::SetLastError(ERROR_NOT_SUPPORTED);
    return kWriteFailed;
}

bool WIBMFP::escape(DWORD function) {
    return os::EscapeCommFunction(handle_.get(), function) != FALSE;
}

int WIBMFP::linkBreak() {
    os::Sleep(kIbmLinePauseMs);
    bool ok = escape(CLRRTS);
    os::Sleep(kIbmLinePauseMs);
    ok = escape(SETBREAK) && ok;
    os::Sleep(kIbmLinePauseMs);
    ok = escape(CLRBREAK) && ok; // never leave the line in a break
    return ok ? kOk : kIbmProtocolFailed;
}

int WIBMFP::writeFrame(uint8_t type, uint8_t control) {
    if (!os::PurgeComm(handle_.get(), PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR))
        return kPurgeFailed;
    uint8_t frame[kIbmFrameSize];
    buildIbmFrame(type, control, frame);
    DWORD n = 0;
    if (!os::WriteFile(handle_.get(), frame, sizeof frame, &n, nullptr)) {
        consolePrintf("@err=%d\n", static_cast<int>(os::GetLastError()));
        return kWriteFailed;
    }
    return n < sizeof frame ? kWriteFailed : kOk;
}

int WIBMFP::writeStatusRequest() {
    return writeFrame(kIbmTypeStatus,
                      static_cast<uint8_t>(kIbmStatusControl | requestBits_ | ackBit_ | extraBits_));
}

// The printer may send only while RTS is raised: one raise-read-drop cycle per byte.
int WIBMFP::readByte() {
    os::Sleep(kIbmLinePauseMs);
    if (!escape(SETRTS))
        return kIbmLineError;
    uint8_t b = 0;
    DWORD n = 0;
    const BOOL ok = os::ReadFile(handle_.get(), &b, 1, &n, nullptr);
    os::Sleep(kIbmLinePauseMs);
    // RTS goes down again even after a failed read, so the printer never sends unasked.
    const bool dropped = escape(CLRRTS);
    if (!ok || n == 0)
        return kIbmBadStart;
    return dropped ? b : kIbmLineError;
}

int WIBMFP::getReply() {
    reply_.begin();
    for (;;) {
        const int c = readByte();
        if (c < 0)
            return reply_.readError(c);
        const int r = reply_.feed(static_cast<uint8_t>(c));
        if (r == kIbmMore)
            continue;
        if (r > 0)
            ackBit_ = reply_.control() & kIbmAckBit;
        return r;
    }
}

void WIBMFP::printReply(int r) {
    consolePrintf("%d getReply\n", r);
}

void WIBMFP::step() {
    switch (state_.load()) {
    case Reset: {
        linkBreak();
        ackBit_ = 0;
        requestBits_ = kIbmRequestBits;
        extraBits_ = 0;
        if (writeFrame(kIbmTypeReset, kIbmResetControl) == kOk)
            pauseUnlessStopped(kIbmLinkPauseMs);
        printReply(getReply());
        state_ = AwaitPor;
        break;
    }
    case AwaitPor: {
        writeStatusRequest();
        const int r = getReply();
        printReply(r);
        if (r >= 0 && reply_.isPorReport(r)) {
            for (int i = 0; i < 3; ++i)
                por_[i] = reply_.frame()[9 + i];
            consolePrintf("@POR %02X %02X %02X\n", por_[0], por_[1], por_[2]);
            state_ = Online;
        } else {
            state_ = Reset;
        }
        break;
    }
    default: {
        writeStatusRequest();
        const int r = getReply();
        printReply(r);
        if (r < 0) {
            state_ = Reset;
        } else if (IbmReplyReader::carriesStatus(r)) {
            for (int i = 0; i < 3; ++i)
                status_[i] = reply_.frame()[7 + i];
            consolePrintf("@STATUS %02X %02X %02X\n", status_[0], status_[1], status_[2]);
        }
        pauseUnlessStopped(kIbmLinkPauseMs);
        break;
    }
    }
}

void WIBMFP::procWait() {
    debugLine("PTL: WIBMFP::procWait() Start\n");
    // The stop is looked at between steps: a stop waits for at most the step under way.
    while (!stopping())
        step();
    debugLine("PTL: WIBMFP::procWait() End\n");
}

} // namespace ptl
