#include "extlib/WVendorPorts.h"

#include <cstring>

#include "core/IfTypes.h"
#include "core/Log.h"
#include "core/Results.h"
#include "extlib/VendorLibraries.h"
#include "os/Syscalls.h"

namespace ptl {

namespace {

// The time-out the kvBSescM transfers pass to the library.
constexpr int kKvbsdhIoMs = 5000;

int32_t libraryHandle(DeviceHandle h) {
    return static_cast<int32_t>(h);
}

} // namespace

// ---------------------------------------------------------------------------------------------------
// HPRDH.dll

WHPRDH::~WHPRDH() {
    WHPRDH::release(0);
}
int WHPRDH::getIFType() {
    return kIfHprdh;
}
int WHPRDH::getIOMode() {
    return 0;
}
const char *WHPRDH::getIFName() {
    return "HPRDH";
}

int WHPRDH::claim(int timeoutMs) {
    debugLine("PTL: WHPRDH::claim()\n");
    release(0);
    if (const int r = resolveName(); r != kOk)
        return r;
    int32_t h = -1;
    const int32_t status = vendor::hpPrtOpenA(&h, name_);
    debugLine("PTL:  '%s'=%d\n", name_, status);
    if (status != 0)
        return kCantClaim;
    handle_ = h;
    if (vendor::hpPrtClaim(h, timeoutMs) != 0) {
        release(0);
        return kCantClaim;
    }
    return kOk;
}

int WHPRDH::release(int timeoutMs) {
    if (!isClaimed())
        return kOk;
    debugLine("PTL: WHPRDH::release(%d)\n", timeoutMs);
    int32_t h = libraryHandle(handle_);
    vendor::hpPrtRelease(h);
    vendor::hpPrtClose(&h);
    handle_ = kNoHandle;
    return kOk;
}

int WHPRDH::send(const void *data, int len, int *written, int, int, int) {
    if (written == nullptr)
        return kNullArgument;
    int32_t n = 0;
    const int32_t status = vendor::hpPrtWrite(libraryHandle(handle_), data, len, &n);
    *written = n;
    debugLine("PTL: WniPrtWrite(%d, %d)=%d\n", len, *written, status);
    return status != 0 ? kWriteFailed : kOk;
}

int WHPRDH::recv(void *, int, int *, int) {
    return kOk;
}

// ---------------------------------------------------------------------------------------------------
// kvBSescM.dll

WKvbsdh::~WKvbsdh() {
    WKvbsdh::release(0);
}
int WKvbsdh::getIFType() {
    return kIfKvbsdh;
}
int WKvbsdh::getIOMode() {
    return 0;
}
const char *WKvbsdh::getIFName() {
    return "KVBSDH";
}

int WKvbsdh::claim(int) {
    debugLine("PTL: WKvbslm::claim()\n");
    release(0);
    if (const int r = resolveName(); r != kOk)
        return r;
    int32_t h = -1;
    const int32_t status = vendor::devOpenA(&h, name_, 0, "kvBSEscM.dll");
    debugLine("PTL:  '%s'=%d\n", name_, status);
    if (status != 0)
        return kCantClaim;
    handle_ = h;
    return kOk;
}

int WKvbsdh::release(int timeoutMs) {
    if (!isClaimed())
        return kOk;
    debugLine("PTL: WKvbsdh::release(%d)\n", timeoutMs);
    vendor::devUnlock(libraryHandle(handle_));
    vendor::devClose(libraryHandle(handle_));
    handle_ = kNoHandle;
    return kOk;
}

int WKvbsdh::send(const void *data, int len, int *written, int, int, int) {
    if (written == nullptr)
        return kNullArgument;
    return vendor::devWrite(libraryHandle(handle_), kKvbsdhIoMs, data, len, written) != 0 ? kWriteFailed
                                                                                          : kOk;
}

int WKvbsdh::recv(void *buffer, int size, int *got, int) {
    if (got == nullptr)
        return kNullArgument;
    uint32_t scratch = 0;
    return vendor::devRead(libraryHandle(handle_), kKvbsdhIoMs, &scratch, buffer, size, got) != 0
               ? kReadFailed
               : kOk;
}

int WKvbsdh::docStart(int p1, int) {
    return vendor::devLock(libraryHandle(handle_), p1) != 0 ? kVendorLockFailed : kOk;
}

int WKvbsdh::docEnd() {
    return vendor::devUnlock(libraryHandle(handle_)) != 0 ? kVendorLockFailed : kOk;
}

// ---------------------------------------------------------------------------------------------------
// kvBSLmIF.dll

WKvbslm::~WKvbslm() {
    WKvbslm::release(0);
}
int WKvbslm::getIFType() {
    return kIfKvbslm;
}
int WKvbslm::getIOMode() {
    return 0;
}
const char *WKvbslm::getIFName() {
    return "KVBSLM";
}

int WKvbslm::claim(int) {
    debugLine("PTL: WKvbslm::claim()\n");
    release(0);
    if (const int r = resolveName(); r != kOk)
        return r;
    openEvent_.reset(os::CreateEventA(nullptr, FALSE, FALSE, nullptr));
    if (!openEvent_)
        return kEventsFailed;
    int32_t h = -1;
    const int32_t status = vendor::liOpen(0, name_, openEvent_.get(), &h);
    debugLine("PTL:  '%s'=%d\n", name_, status);
    if (status != 0) {
        openEvent_.reset();
        return kCantClaim;
    }
    handle_ = h;
    return kOk;
}

int WKvbslm::release(int timeoutMs) {
    if (!isClaimed())
        return kOk;
    debugLine("PTL: WKvbslm::release(%d)\n", timeoutMs);
    vendor::liUnlock(libraryHandle(handle_));
    vendor::liClose(libraryHandle(handle_));
    handle_ = kNoHandle;
    openEvent_.reset();
    return kOk;
}

int WKvbslm::send(const void *data, int len, int *written, int, int, int) {
    if (written == nullptr)
        return kNullArgument;
    int n = 0;
    const int32_t status = vendor::liWrite(libraryHandle(handle_), 0, data, len, &n);
    *written = n;
    debugLine("PTL: LIWrite(%d, %d)=%d\n", len, n, status);
    return status != 0 ? kWriteFailed : kOk;
}

int WKvbslm::recv(void *buffer, int size, int *got, int) {
    if (got == nullptr)
        return kNullArgument;
    int sizeCopy = size, n = 0;
    const int32_t status = vendor::liRead(libraryHandle(handle_), &sizeCopy, buffer, size, &n);
    *got = n;
    return status != 0 ? kReadFailed : kOk;
}

int WKvbslm::docStart(int, int) {
    return vendor::liLock(libraryHandle(handle_)) != 0 ? kLockFailed : kOk;
}

int WKvbslm::docEnd() {
    return vendor::liUnlock(libraryHandle(handle_)) != 0 ? kUnlockFailed : kOk;
}

// ---------------------------------------------------------------------------------------------------
// EBAPI.DLL

WEbapi::~WEbapi() {
    WEbapi::release(0);
}
int WEbapi::getIFType() {
    return kIfEbapi;
}
int WEbapi::getIOMode() {
    return 0;
}
const char *WEbapi::getIFName() {
    return "EBAPI";
}

int WEbapi::getName(char *out) {
    if (out == nullptr)
        return kNullArgument;
    memcpy(out, channelName_, strlen(channelName_) + 1);
    return kOk;
}

int WEbapi::claim(int) {
    debugLine("PTL: WEbapi::claim(%s)\n", channelName_);
    release(0);
    if (vendor::ebInitialize() != 0)
        return kSystemCallFailed;
    const int32_t channel = vendor::ebOpenChannel(channelArg1_, channelName_, channelArg3_);
    if (channel < 0) {
        // The library was made ready for this claim: a failed claim leaves nothing behind.
        vendor::ebRelease();
        channel_ = -1;
        return kCantClaim;
    }
    channel_ = channel;
    return kOk;
}

int WEbapi::release(int timeoutMs) {
    if (!isClaimed())
        return kOk;
    debugLine("PTL: WEbapi::release(%d)\n", timeoutMs);
    vendor::ebRelease();
    channel_ = -1;
    return kOk;
}

int WEbapi::send(const void *data, int len, int *written, int, int, int) {
    if (written == nullptr)
        return kNullArgument;
    const int32_t n = vendor::ebSend(channel_, data, len);
    if (n < 0) {
        *written = 0;
        return kWriteFailed;
    }
    *written = n;
    debugLine("PTL: EBSend(%d, %d)=%d\n", len, n, n == len ? 1 : 0);
    return n == len ? kOk : kWriteFailed;
}

int WEbapi::recv(void *buffer, int size, int *got, int) {
    if (got == nullptr)
        return kNullArgument;
    int sizeCopy = size;
    const int32_t n = vendor::ebReceive(channel_, buffer, &sizeCopy, -1);
    // A failure is reported by the result; the count of bytes received is then 0, never negative.
    *got = n >= 0 ? n : 0;
    debugLine("PTL: EBReceive(%d, %d)=%d\n", size, n, n >= 0 ? 1 : 0);
    return n < 0 ? kReadFailed : kOk;
}

DeviceHandle WEbapi::getHandle() {
    return channel_;
}
bool WEbapi::isClaimed() {
    return channel_ != -1;
}
bool WEbapi::isReady() {
    return true;
}

} // namespace ptl
