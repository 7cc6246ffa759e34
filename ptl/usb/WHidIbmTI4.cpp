#include "usb/WHidIbmTI4.h"

#include <algorithm>
#include <cstring>

#include "core/Log.h"
#include "core/Target.h"
#include "usb/HidApi.h"
#include "usb/UsbIds.h"

namespace ptl {

WHidIbmTI4::WHidIbmTI4() : WAsync(this, "WHidIbmTI4") {}

WHidIbmTI4::~WHidIbmTI4() {
    WHidIbmTI4::release(0);
}

int WHidIbmTI4::getIFType() {
    return kIfIbmTI4;
}
const char *WHidIbmTI4::getIFName() {
    return "IBMTI4";
}
int WHidIbmTI4::getIOMode() {
    return 0;
}

WHid::Selection WHidIbmTI4::selection() const {
    return {kIbmVendorId, 0x4535, 0x3500};
}

bool WHidIbmTI4::reportsFit() const {
    return outputReportLength_ >= kTi4Header && outputReportLength_ <= kHidOutputReportMax &&
           featureReportLength_ <= kHidFeatureArea && inputReportLength_ + kHidReadSlack <= kHidInputScratch;
}

// Device, events, receive thread; any failure releases before it returns.
int WHidIbmTI4::claim(int) {
    debugLine("PTL: WHidIbmTI4::claim(%d)\n", portNo_);
    release(0);
    int r = openDevice(FILE_FLAG_OVERLAPPED);
    if (r == kOk && !reportsFit()) {
        debugLine("PTL:  report lengths %u/%u/%u refused\n", inputReportLength_, outputReportLength_,
                  featureReportLength_);
        r = kCantClaim;
    }
    if (r == kOk && !createEvents())
        r = kEventsFailed;
    if (r == kOk)
        r = startThreads({Thread::Recv});
    if (r != kOk)
        release(0);
    return r;
}

// Nothing is queued, so nothing is waited for.
int WHidIbmTI4::release(int timeoutMs) {
    if (!isClaimed())
        return kOk;
    debugLine("PTL: WHidIbmTI4::release(%d)\n", timeoutMs);
    stopEngine();
    closeDevice();
    return kOk;
}

int WHidIbmTI4::send(const void *data, int len, int *written, int, int, int) {
    debugLine("PTL: WHidIbmTI4::send()\n");
    if (written == nullptr)
        return kNullArgument;
    *written = 0;
    if (len > kTi4MaxData)
        return kReportTooLong;
    const int n = len < 0 || data == nullptr ? 0 : len;
    if (!isClaimed())
        return kWriteFailed;
    // A device whose output report is shorter than the frame would lose the data's tail.
    if (static_cast<uint32_t>(kTi4Header + n) > outputReportLength_)
        return kReportTooLong;
    uint8_t report[kHidOutputReportMax] = {};
    report[0] = n <= kTi4ShortReportMax ? 2 : 1;
    report[1] = static_cast<uint8_t>((n + 4) & 0xFF);
    report[2] = static_cast<uint8_t>((n + 4) >> 8);
    report[3] = 0x01;
    if (n > 0)
        memcpy(report + kTi4Header, data, static_cast<size_t>(n));
    uint32_t done = 0;
    if (!writeOverlapped(handle_.get(), report, outputReportLength_, &done))
        return kWriteFailed;
    *written = static_cast<int>(done);
    return kOk;
}

// Asks the device for feature report 1 and drops the answer; the port has no receive path.
int WHidIbmTI4::recv(void *, int, int *, int) {
    uint8_t area[kHidFeatureArea] = {};
    area[0] = 1;
    hid::getFeature(handle_.get(), area, std::min(featureReportLength_, kHidFeatureArea));
    return kNotSupported;
}

int WHidIbmTI4::getSendQueueType(int *kind) {
    return kind == nullptr ? kNullArgument : (*kind = sendQueueType_, kOk);
}
int WHidIbmTI4::setSendQueueType(int kind) {
    return sendQueueType_ = kind, kOk;
}
int WHidIbmTI4::getRecvQueueType(int *kind) {
    return kind == nullptr ? kNullArgument : (*kind = recvQueueType_, kOk);
}
int WHidIbmTI4::setRecvQueueType(int kind) {
    return recvQueueType_ = kind, kOk;
}

// Counts input reports: the receive hook learns each one's length; the bytes are not kept.
void WHidIbmTI4::procRecv() {
    debugLine("PTL: WHidIbmTI4::procRecv() Start\n");
    uint8_t scratch[kHidInputScratch];
    while (!stopping()) {
        uint32_t got = 0;
        readOverlapped(handle_.get(), scratch, inputReportLength_ + kHidReadSlack, &got);
        if (got == 0)
            pauseUnlessStopped(idleRetryMs()); // a device that fails at once must not make this spin
        else if (recvHook != nullptr)
            recvHook(this, static_cast<int>(got));
    }
    debugLine("PTL: WHidIbmTI4::procRecv() End\n");
}

} // namespace ptl
