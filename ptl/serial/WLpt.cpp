#include "serial/WLpt.h"

#include "core/IfTypes.h"
#include "core/Log.h"
#include "os/Syscalls.h"
#include "os/Version.h"
#include "serial/SerialRules.h"

namespace ptl {

WLpt::~WLpt() {
    WLpt::release(0);
}

int WLpt::getIFType() {
    return kIfLpt;
}
int WLpt::getIOMode() {
    return 0;
}
const char *WLpt::getIFName() {
    return "LPT";
}

int WLpt::claim(int) {
    debugLine("PTL: WLpt::claim(%d)\n", portNo_);
    release(0);
    return openDevice("LPT", 0);
}

int WLpt::release(int timeoutMs) {
    if (!isClaimed())
        return kOk;
    debugLine("PTL: WLpt::release(%d)\n", timeoutMs);
    const int r = waitSendEmpty(timeoutMs);
    closeDevice("LPT");
    return r;
}

bool WLpt::isReady() {
    if (!isClaimed())
        return false;
    DWORD errors = 0;
    if (!os::ClearCommError(handle_.get(), &errors, nullptr))
        return false;
    return lptReady(errors);
}

int WLpt::reset() {
    if (os::isNtFamily4())
        return setParInfo(kParallelInit) == kOk ? kOk : kResetFailed;
    return os::EscapeCommFunction(handle_.get(), RESETDEV) ? kOk : kResetFailed;
}

int WLpt::getDeviceIdSize(int *size) {
    if (size == nullptr)
        return kNullArgument;
    DWORD value = 0;
    DWORD returned = 0;
    if (!os::DeviceIoControl(handle_.get(), kIoctlParQueryDeviceIdSize, nullptr, 0, &value, sizeof value,
                             &returned, nullptr))
        return kSystemCallFailed;
    *size = static_cast<int>(value);
    return kOk;
}

int WLpt::getDeviceId(char *buffer, int size) {
    if (buffer == nullptr && size > 0)
        return kNullArgument;
    DWORD returned = 0;
    return os::DeviceIoControl(handle_.get(), kIoctlParQueryDeviceId, nullptr, 0, buffer,
                               static_cast<DWORD>(size < 0 ? 0 : size), &returned, nullptr)
               ? kOk
               : kSystemCallFailed;
}

int WLpt::queryParInfo(unsigned char *status) {
    if (status == nullptr)
        return kNullArgument;
    unsigned char value = 0;
    DWORD returned = 0;
    if (!os::DeviceIoControl(handle_.get(), kIoctlParQueryInformation, nullptr, 0, &value, 1, &returned,
                             nullptr))
        return kSystemCallFailed;
    *status = value;
    return kOk;
}

int WLpt::setParInfo(unsigned char control) {
    DWORD returned = 0;
    return os::DeviceIoControl(handle_.get(), kIoctlParSetInformation, &control, 1, nullptr, 0, &returned,
                               nullptr)
               ? kOk
               : kSystemCallFailed;
}

} // namespace ptl
