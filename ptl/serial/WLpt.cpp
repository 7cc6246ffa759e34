#include "serial/WLpt.h"

#include <vector>

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
    int ready = 0;
    return WLpt::askReady(&ready) == kOk && ready != 0;
}

int WLpt::askReady(int *ready) {
    if (!isClaimed())
        return kInvalidHandle;
    DWORD errors = 0;
    if (!os::ClearCommError(handle_, &errors, nullptr))
        return kStateFailed;
    *ready = lptReady(errors) ? 1 : 0;
    return kOk;
}

int WLpt::deviceIdText(char *text, int size, int *length) {
    if (!isClaimed())
        return kInvalidHandle;
    int idSize = 0;
    int r = getDeviceIdSize(&idSize);
    if (r != kOk)
        return r;
    // The driver's size may or may not count a NUL: the text ends at the first one or at the size.
    std::vector<char> id(static_cast<size_t>(idSize > 0 ? idSize : 0) + 1, '\0');
    r = getDeviceId(id.data(), idSize);
    return r == kOk ? copyWhole(id.data(), text, size, length) : r;
}

int WLpt::deviceState(unsigned *state) {
    if (!isClaimed())
        return kInvalidHandle;
    unsigned char status = 0;
    const int r = queryParInfo(&status);
    if (r == kOk)
        *state = status;
    return r;
}

int WLpt::reset() {
    if (os::isNtFamily4())
        return setParInfo(kParallelInit) == kOk ? kOk : kResetFailed;
    return os::EscapeCommFunction(handle_, RESETDEV) ? kOk : kResetFailed;
}

int WLpt::getDeviceIdSize(int *size) {
    if (size == nullptr)
        return kNullArgument;
    DWORD value = 0;
    DWORD returned = 0;
    if (!os::DeviceIoControl(handle_, kIoctlParQueryDeviceIdSize, nullptr, 0, &value, sizeof value, &returned,
                             nullptr))
        return kSystemCallFailed;
    *size = static_cast<int>(value);
    return kOk;
}

int WLpt::getDeviceId(char *buffer, int size) {
    if (buffer == nullptr && size > 0)
        return kNullArgument;
    DWORD returned = 0;
    return os::DeviceIoControl(handle_, kIoctlParQueryDeviceId, nullptr, 0, buffer,
                               static_cast<DWORD>(size < 0 ? 0 : size), &returned, nullptr)
               ? kOk
               : kSystemCallFailed;
}

int WLpt::queryParInfo(unsigned char *status) {
    if (status == nullptr)
        return kNullArgument;
    unsigned char value = 0;
    DWORD returned = 0;
    if (!os::DeviceIoControl(handle_, kIoctlParQueryInformation, nullptr, 0, &value, 1, &returned, nullptr))
        return kSystemCallFailed;
    *status = value;
    return kOk;
}

int WLpt::setParInfo(unsigned char control) {
    DWORD returned = 0;
    return os::DeviceIoControl(handle_, kIoctlParSetInformation, &control, 1, nullptr, 0, &returned, nullptr)
               ? kOk
               : kSystemCallFailed;
}

} // namespace ptl
