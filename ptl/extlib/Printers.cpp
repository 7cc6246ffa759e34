#include "extlib/Printers.h"

#include <cstring>
#include <new>

#include "os/Syscalls.h"

namespace ptl {

namespace {

constexpr DWORD kProfileSize = 256;

// Copies name when it fits, and reports its size either way.
bool handOut(const char *name, char *buffer, unsigned *size) {
    const size_t len = strlen(name);
    const bool fits = len < *size;
    if (fits)
        memcpy(buffer, name, len + 1);
    *size = static_cast<unsigned>(len + 1);
    return fits;
}

bool defaultPrinter9x(char *buffer, unsigned *size) {
    os::SetLastError(0);
    DWORD needed = 0, returned = 0;
    os::EnumPrintersA(PRINTER_ENUM_DEFAULT, nullptr, 2, nullptr, 0, &needed, &returned);
    if (os::GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0)
        return false;
    std::unique_ptr<BYTE[]> block(new (std::nothrow) BYTE[needed]());
    if (!block)
        return false;
    if (!os::EnumPrintersA(PRINTER_ENUM_DEFAULT, nullptr, 2, block.get(), needed, &needed, &returned) ||
        returned == 0)
        return false;
    const char *name = reinterpret_cast<PRINTER_INFO_2A *>(block.get())->pPrinterName;
    return handOut(name ? name : "", buffer, size);
}

bool defaultPrinterNt4(char *buffer, unsigned *size) {
    char device[kProfileSize];
    if (os::GetProfileStringA("windows", "device", ",,,", device, kProfileSize) == 0)
        return false;
    // "name,driver,port": the name is what stands before the first comma.
    if (char *comma = strchr(device, ','))
        *comma = '\0';
    return handOut(device, buffer, size);
}

bool defaultPrinterNt5(char *buffer, unsigned *size) {
    HMODULE spool = os::LoadLibraryA("winspool.drv");
    if (spool == nullptr)
        return false;
    using Fn = BOOL(WINAPI *)(LPSTR, LPDWORD);
    auto fn = reinterpret_cast<Fn>(os::GetProcAddress(spool, "GetDefaultPrinterA"));
    BOOL ok = FALSE;
    if (fn != nullptr) {
        DWORD n = *size;
        ok = fn(buffer, &n);
        *size = n;
    }
    os::FreeLibrary(spool);
    return ok != FALSE;
}

} // namespace

bool getDefaultPrinter(char *buffer, unsigned *size) {
    OSVERSIONINFOA v{};
    v.dwOSVersionInfoSize = sizeof v;
    if (!os::GetVersionExA(&v))
        return false;
    if (v.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS)
        return defaultPrinter9x(buffer, size);
    if (v.dwPlatformId != VER_PLATFORM_WIN32_NT)
        return false;
    if (v.dwMajorVersion < 5)
        return defaultPrinterNt4(buffer, size);
    return defaultPrinterNt5(buffer, size);
}

LocalPrinters::LocalPrinters(bool grow) {
    DWORD needed = 0, returned = 0;
    BYTE *data = fixed_;
    BOOL ok = os::EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 4, data, sizeof fixed_, &needed, &returned);
    // The size the spooler names may grow before the second call (a printer added meanwhile): then the
    // printers count as none, as with any failed enumeration.
    if (!ok && grow && os::GetLastError() == ERROR_INSUFFICIENT_BUFFER && needed > sizeof fixed_) {
        grown_.reset(new (std::nothrow) BYTE[needed]);
        data = grown_.get();
        const DWORD size = needed;
        ok = data != nullptr &&
             os::EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 4, data, size, &needed, &returned);
    }
    if (ok) {
        info_ = reinterpret_cast<const PRINTER_INFO_4A *>(data);
        count_ = returned;
    }
}

const char *LocalPrinters::name(unsigned n) const {
    if (n == 0 || n > count_)
        return nullptr;
    const char *name = info_[n - 1].pPrinterName;
    return name != nullptr ? name : "";
}

} // namespace ptl
