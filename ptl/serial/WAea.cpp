#include "serial/WAea.h"

#include "core/Log.h"
#include "core/Target.h"
#include "os/Syscalls.h"

namespace ptl {

WAea::WAea() {
    dcb_.fRtsControl = RTS_CONTROL_HANDSHAKE;
    timeouts_ = COMMTIMEOUTS{0, 0, 500, 0, 500};
}

WAea::~WAea() {
    WAea::release(0);
}

int WAea::getIFType() {
    return kIfAea;
}
int WAea::getIOMode() {
    return 0;
}
const char *WAea::getIFName() {
    return "AEA";
}

int WAea::getSubType(int *v) {
    return readInto(framing_, v);
}

int WAea::setSubType(int v) {
    framing_ = v; // an unknown framing makes send and recv fail
    return kOk;
}

int WAea::setPortNo(int no) {
    portNo_ = no; // the range is checked by the claim
    devicePath_[0] = '\0';
    return kOk;
}

int WAea::claim(int) {
    debugLine("PTL: WAea::claim()\n");
    release(0);
    const int r = openComm();
    if (r == kOk)
        blocks_ = 0;
    return r;
}

int WAea::release(int timeoutMs) {
    if (!isClaimed())
        return kOk;
    debugLine("PTL: WAea::release(%d)\n", timeoutMs);
    waitSendEmpty(timeoutMs);
    // DTR and RTS stay as they are.
    closeDevice("COM");
    return kOk;
}

// A write that fails, or that ends at its time-out with only part of the frame taken, is an attempt that
// failed: the rest of the frame is tried again after a pause, so no part of a frame is ever skipped.
bool WAea::writeFrame(size_t len) {
    size_t done = 0;
    for (int attempt = 1;; ++attempt) {
        DWORD n = 0;
        if (os::WriteFile(handle_.get(), frame_ + done, static_cast<DWORD>(len - done), &n, nullptr))
            done += n < len - done ? n : len - done;
        if (done == len)
            return true;
        debugLine("PTL: WAea::send %u/%u after attempt %d\n", static_cast<unsigned>(done),
                  static_cast<unsigned>(len), attempt);
        if (attempt == kAeaWriteAttempts)
            return false;
        os::Sleep(kAeaRetryPauseMs);
    }
}

int WAea::send(const void *data, int len, int *written, int, int, int) {
    if (written == nullptr)
        return kNullArgument;
    *written = 0;
    const size_t total = len > 0 ? static_cast<size_t>(len) : 0;
    if (total > 0 && data == nullptr)
        return kNullArgument;
    if (!isAeaFraming(framing_))
        return kWriteFailed;
    const uint8_t *bytes = static_cast<const uint8_t *>(data);
    size_t sent = 0;
    // An empty send still writes one frame with an empty block.
    do {
        const size_t n = total - sent < kAeaBlockSize ? total - sent : kAeaBlockSize;
        const size_t frameLen = buildAeaFrame(framing_, blocks_, bytes + sent, n, sent + n == total, frame_);
        if (!writeFrame(frameLen)) {
            *written = static_cast<int>(sent);
            return kWriteFailed;
        }
        if (framing_ != kAeaUltra)
            ++blocks_;
        sent += n;
    } while (sent < total);
    *written = static_cast<int>(total);
    return kOk;
}

int WAea::recv(void *buffer, int size, int *got, int p4) {
    if (got == nullptr)
        return kNullArgument;
    *got = 0;
    if (framing_ == kAeaResa || framing_ == kAeaSita)
        return WVcomm::recv(buffer, size, got, p4);
    if (framing_ != kAeaUltra)
        return kReadFailed;
    const size_t room = size > 0 ? static_cast<size_t>(size) : 0;
    if (room > 0 && buffer == nullptr)
        return kNullArgument;
    DWORD n = 0;
    if (!os::ReadFile(handle_.get(), received_, sizeof received_, &n, nullptr))
        return kReadFailed;
    size_t stored = 0;
    if (!unframeAea(received_, n, static_cast<uint8_t *>(buffer), room, &stored))
        return kReadFailed;
    *got = static_cast<int>(stored);
    return kOk;
}

} // namespace ptl
