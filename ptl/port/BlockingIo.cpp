#include "port/BlockingIo.h"

#include "core/Results.h"
#include "os/Syscalls.h"

namespace ptl {

int blockingSend(HANDLE h, const void *data, int len, int *written) {
    if (written == nullptr)
        return kNullArgument;
    *written = 0;
    DWORD n = 0;
    if (!os::WriteFile(h, data, static_cast<DWORD>(len < 0 ? 0 : len), &n, nullptr))
        return kWriteFailed;
    *written = static_cast<int>(n);
    return kOk;
}

int blockingRecv(HANDLE h, void *buffer, int size, int *got) {
    if (got == nullptr)
        return kNullArgument;
    *got = 0;
    DWORD n = 0;
    if (!os::ReadFile(h, buffer, static_cast<DWORD>(size < 0 ? 0 : size), &n, nullptr))
        return kReadFailed;
    *got = static_cast<int>(n);
    return kOk;
}

} // namespace ptl
