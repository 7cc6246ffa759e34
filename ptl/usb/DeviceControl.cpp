#include "usb/DeviceControl.h"

#include "os/Owned.h"
#include "os/Syscalls.h"

namespace ptl {

bool deviceControl(HANDLE h, bool overlapped, DWORD code, const void *in, DWORD inSize, void *out,
                   DWORD outSize) {
    DWORD returned = 0;
    void *input = const_cast<void *>(in);
    if (!overlapped)
        return os::DeviceIoControl(h, code, input, inSize, out, outSize, &returned, nullptr) != FALSE;
    os::Handle event(os::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!event)
        return false;
    OVERLAPPED ov{};
    ov.hEvent = event.get();
    BOOL ok = os::DeviceIoControl(h, code, input, inSize, out, outSize, &returned, &ov);
    if (!ok && os::GetLastError() == ERROR_IO_PENDING)
        ok = os::GetOverlappedResult(h, &ov, &returned, TRUE);
    const DWORD error = os::GetLastError();
    event.reset();
    os::SetLastError(error);
    return ok != FALSE;
}

} // namespace ptl
