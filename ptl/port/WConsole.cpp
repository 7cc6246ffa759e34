#include "port/WConsole.h"

#include "core/Console.h"
#include "core/IfTypes.h"
#include "os/Syscalls.h"
#include "port/DumpFormat.h"

namespace ptl {

WConsole::~WConsole() {
    WConsole::release(0);
}
int WConsole::getIFType() {
    return kIfConsole;
}
int WConsole::getIOMode() {
    return 0;
}
const char *WConsole::getIFName() {
    return "CON";
}

int WConsole::claim(int) {
    handle_ = reinterpret_cast<DeviceHandle>(os::GetStdHandle(STD_OUTPUT_HANDLE));
    return kOk;
}

// The standard handle belongs to the process and is not closed.
int WConsole::release(int) {
    handle_ = kNoHandle;
    return kOk;
}

int WConsole::send(const void *data, int len, int *written, int, int, int) {
    DWORD n = 0;
    BOOL ok = os::WriteConsoleA(reinterpret_cast<HANDLE>(handle_), data,
                                static_cast<DWORD>(len < 0 ? 0 : len), &n, nullptr);
    if (written != nullptr)
        *written = static_cast<int>(n);
    return ok ? kOk : kWriteFailed;
}

int WConsole::recv(void *, int, int *got, int) {
    if (got != nullptr)
        *got = 0;
    return kNotSupported;
}

DeviceHandle WConsole::getHandle() {
    return handle_;
}
bool WConsole::isClaimed() {
    return true;
}
bool WConsole::isReady() {
    return true;
}

const char *WDump::getIFName() {
    return "DUMP";
}
int WDump::claim(int) {
    return kOk;
}
int WDump::release(int) {
    return kOk;
}

int WDump::send(const void *data, int len, int *written, int, int, int) {
    const unsigned char *p = static_cast<const unsigned char *>(data);
    FILE *out = consoleOut();
    char line[48];
    for (int i = 0; i < len; ++i) {
        size_t n = formatDumpLine(line, sizeof line, offset_, p[i]);
        fwrite(line, 1, n, out);
        ++offset_;
    }
    fflush(out);
    if (written != nullptr)
        *written = len < 0 ? 0 : len;
    return kOk;
}

int WDump::recv(void *, int, int *got, int) {
    if (got != nullptr)
        *got = 0;
    return kOk;
}

} // namespace ptl
