#include "monitor/WTulip.h"

#include <cstdio>

#include "core/Log.h"
#include "core/Target.h"
#include "monitor/Libraries.h"
#include "os/Syscalls.h"

namespace ptl {

WTulip::WTulip() = default;

WTulip::~WTulip() {
    WTulip::release(0);
}

int WTulip::getIFType() {
    return kIfTulip;
}
int WTulip::getIOMode() {
    return 0;
}
const char *WTulip::getIFName() {
    return "TULIP";
}

int WTulip::openPort(DWORD flags) {
    if (portNo_ < 1 || portNo_ > 32)
        return kInvalidPortNo;
    snprintf(portName_, sizeof portName_, "OLM_LPT%d:", portNo_);
    wchar_t wide[MAX_PATH];
    if (os::MultiByteToWideChar(CP_ACP, 0, portName_, -1, wide, MAX_PATH) == 0)
        wide[0] = L'\0';
    handle_.reset(
        monitor::sdCreateFile(wide, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, flags, nullptr));
    debugLine("PTL:  '%s'=%08X\n", portName_,
              static_cast<unsigned>(reinterpret_cast<uintptr_t>(handle_.get())));
    return handle_ ? kOk : kCantClaim;
}

int WTulip::claim(int) {
    debugLine("PTL: WTulip::claim()\n");
    release(0);
    return openPort(FILE_ATTRIBUTE_NORMAL);
}

int WTulip::release(int timeoutMs) {
    if (!handle_)
        return kOk;
    debugLine("PTL: WTulip::release(%d)\n", timeoutMs);
    handle_.reset();
    return kOk;
}

// The library is not handed a handle the port does not hold: -1 would name the calling process.
int WTulip::send(const void *data, int len, int *written, int, int, int) {
    if (written == nullptr)
        return kNullArgument;
    *written = 0;
    DWORD n = 0;
    const auto write = forced_.load() != 0 ? monitor::sdWriteFile2 : monitor::sdWriteFile;
    if (!isClaimed() || !write(handle_.get(), data, static_cast<DWORD>(len < 0 ? 0 : len), &n, nullptr))
        return kWriteFailed;
    *written = static_cast<int>(n);
    return kOk;
}

int WTulip::recv(void *buffer, int size, int *got, int) {
    if (got == nullptr)
        return kNullArgument;
    *got = 0;
    DWORD n = 0;
    if (!isClaimed() ||
        !monitor::sdReadFile(handle_.get(), buffer, static_cast<DWORD>(size < 0 ? 0 : size), &n, nullptr))
        return kReadFailed;
    *got = static_cast<int>(n);
    return kOk;
}

DeviceHandle WTulip::getHandle() {
    return reinterpret_cast<DeviceHandle>(handle_.get());
}
bool WTulip::isClaimed() {
    return static_cast<bool>(handle_);
}
bool WTulip::isReady() {
    return true;
}

int WTulip::reset() {
    return isClaimed() && monitor::sdHWReset(handle_.get()) ? kOk : kResetFailed;
}

int WTulip::force(int on) {
    forced_.store(on);
    return kOk;
}

} // namespace ptl
