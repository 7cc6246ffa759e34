#include "usb/DeviceControl.h"

#include "os/Syscalls.h"

namespace ptl {

bool deviceControl(HANDLE h, bool overlapped, DWORD code, const void *in, DWORD inSize, void *out,
                   DWORD outSize) {
    DWORD returned = 0;
    void *input = const_cast<void *>(in);
    if (!overlapped)
        return os::DeviceIoControl(h, code, input, inSize, out, outSize, &returned, nullptr) != FALSE;
    OVERLAPPED ov{};
    ov.hEvent = os::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (ov.hEvent == nullptr)
        return false;
    BOOL ok = os::DeviceIoControl(h, code, input, inSize, out, outSize, &returned, &ov);
    if (!ok && os::GetLastError() == ERROR_IO_PENDING)
        ok = os::GetOverlappedResult(h, &ov, &returned, TRUE);
    const DWORD error = os::GetLastError();
    os::CloseHandle(ov.hEvent);
    os::SetLastError(error);
    return ok != FALSE;
}

} // namespace ptl
