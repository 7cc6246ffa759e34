#include "serial/WVcomm.h"

#include "core/Log.h"
#include "os/Syscalls.h"
#include "os/Version.h"
#include "port/BlockingIo.h"

namespace ptl {

namespace {

// Wine 8's DefineDosDeviceA overruns a fixed buffer for names longer than two characters and takes the
// process down, in definition and removal alike; there the private alias is left out unless the tests
// simulate the DOS devices. (On a system without the DOS-device calls the seam answers
// ERROR_PROC_NOT_FOUND, and no alias is made either.)
bool aliasCallsSafe() {
    return !os::isWine() || os::simulation().dosDevices;
}

} // namespace

WVcomm::~WVcomm() {
    WVcomm::release(0);
}

int WVcomm::getPortNo(int *no) {
    return readInto(portNo_, no);
}

int WVcomm::setPortNo(int no) {
    if (isClaimed())
        return kSystemCallFailed;
    portNo_ = no;
    devicePath_[0] = '\0';
    return no < 1 || no > 32 ? kInvalidPortNo : kOk;
}

int WVcomm::release(int timeoutMs) {
    if (!isClaimed())
        return kOk;
    debugLine("PTL: WVcomm::release(%d)\n", timeoutMs);
    const int r = waitSendEmpty(timeoutMs);
    handle_.reset();
    return r;
}

int WVcomm::send(const void *data, int len, int *written, int, int, int) {
    return blockingSend(handle_.get(), data, len, written);
}

int WVcomm::recv(void *buffer, int size, int *got, int) {
    return blockingRecv(handle_.get(), buffer, size, got);
}

DeviceHandle WVcomm::getHandle() {
    return reinterpret_cast<DeviceHandle>(handle_.get());
}

bool WVcomm::isClaimed() {
    return static_cast<bool>(handle_);
}

int WVcomm::getCommTimeouts(COMMTIMEOUTS *t) {
    if (t == nullptr)
        return kNullArgument;
    if (!isClaimed()) {
        *t = timeouts_;
        return kOk;
    }
    return os::GetCommTimeouts(handle_.get(), t) ? kOk : kSystemCallFailed;
}

int WVcomm::setCommTimeouts(const COMMTIMEOUTS *t) {
    if (t == nullptr)
        return kNullArgument;
    if (!isClaimed()) {
        timeouts_ = *t;
        return kOk;
    }
    // While claimed only the open device changes; the next claim applies the stored values again.
    COMMTIMEOUTS copy = *t;
    return os::SetCommTimeouts(handle_.get(), &copy) ? kOk : kSystemCallFailed;
}

int WVcomm::getModemStatus(unsigned *status) {
    if (status == nullptr)
        return kNullArgument;
    DWORD s = 0;
    if (!os::GetCommModemStatus(handle_.get(), &s))
        return kSystemCallFailed;
    *status = s;
    return kOk;
}

int WVcomm::recvWithin(void *buffer, int size, int *got, int timeoutMs) {
    if (const auto refused = refuseRecvWithin(got, size))
        return *refused;
    COMMTIMEOUTS kept{};
    if (!os::GetCommTimeouts(handle_.get(), &kept))
        return kReadFailed;
    // Interval and multiplier at MAXDWORD: a read returns as soon as a byte is there, or after the
    // constant with nothing; with a constant of 0 it returns at once with what has arrived.
    COMMTIMEOUTS bounded = kept;
    bounded.ReadIntervalTimeout = MAXDWORD;
    bounded.ReadTotalTimeoutMultiplier = timeoutMs == 0 ? 0 : MAXDWORD;
    bounded.ReadTotalTimeoutConstant = static_cast<DWORD>(timeoutMs);
    // MAXDWORD in all three means "wait for ever" to the driver: the longest bound it takes instead.
    if (bounded.ReadTotalTimeoutConstant == MAXDWORD)
        bounded.ReadTotalTimeoutConstant = MAXDWORD - 1;
    if (!os::SetCommTimeouts(handle_.get(), &bounded))
        return kReadFailed;
    int r = recv(buffer, size, got, 0);
    // The caller's own time-outs come back whatever the read did.
    os::SetCommTimeouts(handle_.get(), &kept);
    if (r == kOk && *got == 0)
        r = kTimeout;
    return r;
}

int WVcomm::deviceState(unsigned *state) {
    if (!isClaimed())
        return kInvalidHandle;
    return getModemStatus(state);
}

int WVcomm::escapeFunction(int function) {
    return os::EscapeCommFunction(handle_.get(), static_cast<DWORD>(function)) ? kOk : kSystemCallFailed;
}

int WVcomm::openDevice(const char *name, DWORD flags) {
    if (portNo_ < 1 || portNo_ > 32)
        return kInvalidPortNo;
    buildDevicePath(name);
    const int r = openPath(flags);
    if (r != kOk)
        removeDeviceAlias(name);
    return r;
}

int WVcomm::openPath(DWORD flags) {
    handle_.reset(os::CreateFileA(devicePath_, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  flags | FILE_ATTRIBUTE_NORMAL, nullptr));
    systemCallLine(!handle_, &lastError_, "PTL:  '%s'=%08X\n", devicePath_,
                   static_cast<unsigned>(reinterpret_cast<uintptr_t>(handle_.get())));
    return handle_ ? kOk : kCantClaim;
}

void WVcomm::closeDevice(const char *name) {
    handle_.reset();
    removeDeviceAlias(name);
}

void WVcomm::buildDevicePath(const char *name) {
    formatDevicePath(devicePath_, sizeof devicePath_, name, portNo_);
    if (!os::isNtFamily4())
        return;
    removeDeviceAlias(name);
    if (!aliasCallsSafe())
        return;

    char dosName[16];
    char alias[16];
    if (!formatDosName(dosName, sizeof dosName, name, portNo_) ||
        !formatAliasName(alias, sizeof alias, name, portNo_))
        return;
    static thread_local char targets[kDosTargetsSize];
    const DWORD n = os::QueryDosDeviceA(dosName, targets, sizeof targets);
    if (n == 0)
        return;
    const char *target = firstDeviceTarget(targets, n <= sizeof targets ? n : sizeof targets);
    if (target == nullptr)
        return;
    os::DefineDosDeviceA(DDD_RAW_TARGET_PATH, alias, target);
    formatAliasPath(devicePath_, sizeof devicePath_, name, portNo_);
}

void WVcomm::removeDeviceAlias(const char *name) {
    if (!os::isNtFamily4() || !aliasCallsSafe())
        return;
    char alias[16];
    if (!formatAliasName(alias, sizeof alias, name, portNo_))
        return;
    os::DefineDosDeviceA(DDD_REMOVE_DEFINITION, alias, nullptr);
}

} // namespace ptl
