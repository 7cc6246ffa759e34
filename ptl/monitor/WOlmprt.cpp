#include "monitor/WOlmprt.h"

#include <cstdio>
#include <cstring>

#include "core/Log.h"
#include "core/Target.h"
#include "monitor/Libraries.h"
#include "os/Syscalls.h"

namespace ptl {

namespace {

constexpr int kReceiveCallbackKind = 0x60002;
constexpr int kIoctlReset = 0x60060004;
constexpr int kIoctlForce = 0x60060005;
constexpr int kSendReceiveTimeoutMs = 1000;

} // namespace

int statusResult(uint32_t status) {
    switch (status) {
    case 0:
        return kOk;
    case 0x80000001u:
    case 0x80000003u:
        return kInvalidHandle;
    case 0x80000006u:
        return kQueueFailed;
    case 0x80010001u:
        return kCantConnect;
    case 0x80060000u:
        return kCantOpen;
    default:
        return kSystemCallFailed;
    }
}

WOlmprt::WOlmprt() : AsyncPort<WPort>("WOlmprt") {}

WOlmprt::~WOlmprt() {
    release(0);
}

template <class... A> uint32_t WOlmprt::library(const char *function, A... a) {
    return monitor::norvel().call<uint32_t>(function, monitor::kNorvelMissing, libHandle_.get(), a...);
}

int WOlmprt::getIFType() {
    return kIfOlmprt;
}
int WOlmprt::getIOMode() {
    return 1;
}
const char *WOlmprt::getIFName() {
    return "OLMPRT";
}

int WOlmprt::getName(char *out) {
    if (out == nullptr)
        return kNullArgument;
    memcpy(out, path_, strlen(path_) + 1);
    return kOk;
}

int WOlmprt::setName(const char *name) {
    if (name == nullptr)
        return kNullArgument;
    // A path cut short would open another port of the service: refused instead.
    const size_t n = strlen(name);
    if (n >= sizeof path_)
        return kInvalidAddress;
    memcpy(path_, name, n + 1);
    return kOk;
}

int WOlmprt::getPortNo(int *no) {
    return readInto(portNo_, no);
}

int WOlmprt::setPortNo(int no) {
    if (isClaimed())
        return kSystemCallFailed;
    if (no < 1 || no > 999)
        return kInvalidPortNo;
    portNo_ = no;
    path_[0] = '\0';
    return kOk;
}

int WOlmprt::getSubType(int *v) {
    return readInto(productKind_, v);
}
int WOlmprt::setSubType(int v) {
    productKind_ = v;
    return kOk;
}
int WOlmprt::setAddress(unsigned long address) {
    address_ = static_cast<uint32_t>(address);
    return kOk;
}
int WOlmprt::getAddress(uint32_t *address) {
    if (address_ == 0)
        return kNotSupported;
    *address = address_;
    return kOk;
}
int WOlmprt::reserved75(int) {
    return kOk;
}

DeviceHandle WOlmprt::getHandle() {
    return libHandle_.get();
}
bool WOlmprt::isClaimed() {
    return static_cast<bool>(libHandle_);
}
bool WOlmprt::isReady() {
    return true;
}

bool WOlmprt::buildPath() {
    if (portNo_ < 0)
        return false;
    char prefix[32] = "pipe:/";
    if (isAcceptedAddress(address_)) {
        const auto *b = reinterpret_cast<const uint8_t *>(&address_);
        snprintf(prefix, sizeof prefix, "tcp://%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
    }
    const char *middle = productKind_ == 1 ? "XD" : productKind_ == 2 ? "ZR" : "VQ";
    snprintf(path_, sizeof path_, "%s/%s/OLMPRT%03d", prefix, middle, portNo_);
    return true;
}

int WOlmprt::openEngineDevice(int timeoutMs) {
    if (path_[0] == '\0' && !buildPath())
        return kInvalidPortNo;
    wchar_t wide[MAX_PATH];
    if (os::MultiByteToWideChar(CP_ACP, 0, path_, -1, wide, MAX_PATH) == 0)
        wide[0] = L'\0';
    int32_t handle = -1;
    const uint32_t status = monitor::norvel().call<uint32_t>("Open", monitor::kNorvelMissing,
                                                             static_cast<const wchar_t *>(wide), &handle);
    debugLine("PTL:  '%s'=%08X\n", path_, static_cast<unsigned>(status));
    if (status != 0)
        return kCantClaim;
    libHandle_.reset(handle);
    return library("Lock", timeoutMs) == 0 ? kOk : kLockFailed;
}

int WOlmprt::setUpEngine() {
    return library("RegisterCallback", kReceiveCallbackKind, &callbackEntry, this) == 0 ? kOk : kCantOpen;
}

int WOlmprt::startEngineThreads() {
    return startThreads({Thread::Send});
}

// No callback may reach the queues once they are freed.
void WOlmprt::closeDownEngine() {
    library("UnRegisterCallback", kReceiveCallbackKind, &callbackEntry, this);
}

void WOlmprt::closeEngineDevice() {
    libHandle_.reset();
}

bool WOlmprt::writeBlock(const uint8_t *data, uint32_t len, uint32_t *done) {
    int32_t written = 0;
    int32_t reserved = 0;
    uint8_t scratch[256] = {};
    library("SendReceive", data, len, &written, 0, kSendReceiveTimeoutMs, scratch, 0, &reserved);
    // A library that claims more than it was given has not written bytes that do not exist.
    *done = written <= 0 ? 0 : static_cast<uint32_t>(written) > len ? len : static_cast<uint32_t>(written);
    // The call's answer means nothing: a call that wrote nothing is a printer holding off and is repeated.
    return true;
}

uint32_t WINAPI WOlmprt::callbackEntry(void *context, int, const uint8_t *data, int count) {
    return static_cast<WOlmprt *>(context)->procCallback(data, count);
}

uint32_t WOlmprt::procCallback(const uint8_t *data, int count) {
    debugLine("PTL: WOlmprt::procCallback()");
    if (data != nullptr && count > 0)
        storeReceived(data, static_cast<uint32_t>(count));
    return 0;
}

int WOlmprt::reset() {
    return library("Ioctl", kIoctlReset, static_cast<void *>(nullptr), 0, 0, 0, 0) == 0 ? kOk
                                                                                        : kSystemCallFailed;
}

int WOlmprt::force(int on) {
    uint32_t v = on != 0 ? 2 : 1;
    return library("Ioctl", kIoctlForce, &v, 4, 0, 0, 0) == 0 ? kOk : kStateFailed;
}

int WOlmprt::lock(int timeout) {
    return statusResult(library("Lock", timeout));
}
int WOlmprt::unlock() {
    return statusResult(library("Unlock"));
}
int WOlmprt::ioctl(int code, void *data, int size, int p4, int p5, int p6) {
    return statusResult(library("Ioctl", code, data, size, p4, p5, p6));
}
int WOlmprt::registerCallback(int kind, void *callback, void *context) {
    return statusResult(library("RegisterCallback", kind, callback, context));
}
int WOlmprt::unregisterCallback(int kind, void *callback, void *context) {
    return statusResult(library("UnRegisterCallback", kind, callback, context));
}

} // namespace ptl
