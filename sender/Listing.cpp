#include <cstring>
#include <memory>

#include "sender/Sender.h"
#include "sender/System.h"

namespace rawpush {

namespace {

constexpr DWORD kDefaultNameSize = 260;
constexpr DWORD kPrinterListSize = 1200;
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
    sys::SetLastError(0);
    DWORD needed = 0, returned = 0;
    sys::EnumPrintersA(PRINTER_ENUM_DEFAULT, nullptr, 2, nullptr, 0, &needed, &returned);
    if (sys::GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0)
        return false;
    std::unique_ptr<BYTE[]> block(new (std::nothrow) BYTE[needed]());
    if (!block)
        return false;
    if (!sys::EnumPrintersA(PRINTER_ENUM_DEFAULT, nullptr, 2, block.get(), needed, &needed, &returned) ||
        returned == 0)
        return false;
    const char *name = reinterpret_cast<PRINTER_INFO_2A *>(block.get())->pPrinterName;
    return handOut(name ? name : "", buffer, size);
}

bool defaultPrinterNt4(char *buffer, unsigned *size) {
    char device[kProfileSize];
    if (sys::GetProfileStringA("windows", "device", ",,,", device, kProfileSize) == 0)
        return false;
    // "name,driver,port": the name is what stands before the first comma.
    if (char *comma = strchr(device, ','))
        *comma = '\0';
    return handOut(device, buffer, size);
}

bool defaultPrinterNt5(char *buffer, unsigned *size) {
    HMODULE spool = sys::LoadLibraryA("winspool.drv");
    if (spool == nullptr)
        return false;
    using Fn = BOOL(WINAPI *)(LPSTR, LPDWORD);
    auto fn = reinterpret_cast<Fn>(sys::GetProcAddress(spool, "GetDefaultPrinterA"));
    BOOL ok = FALSE;
    if (fn != nullptr) {
        DWORD n = *size;
        ok = fn(buffer, &n);
        *size = n;
    }
    sys::FreeLibrary(spool);
    return ok != FALSE;
}

} // namespace

bool getDefaultPrinter(char *buffer, unsigned *size) {
    OSVERSIONINFOA v{};
    v.dwOSVersionInfoSize = sizeof v;
    if (!sys::GetVersionExA(&v))
        return false;
    if (v.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS)
        return defaultPrinter9x(buffer, size);
    if (v.dwPlatformId != VER_PLATFORM_WIN32_NT)
        return false;
    if (v.dwMajorVersion < 5)
        return defaultPrinterNt4(buffer, size);
    return defaultPrinterNt5(buffer, size);
}

int listPrinters(FILE *out) {
    char name[kDefaultNameSize] = "";
    unsigned size = kDefaultNameSize;
    // A lookup that fails may have left anything in the buffer; the line then shows an empty name.
    if (!getDefaultPrinter(name, &size))
        name[0] = '\0';
    name[kDefaultNameSize - 1] = '\0';
    fprintf(out, "DefaultPrinter=[%s]\n", name);

    alignas(PRINTER_INFO_4A) BYTE printers[kPrinterListSize];
    DWORD needed = 0, returned = 0;
    if (sys::EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 4, printers, kPrinterListSize, &needed, &returned)) {
        const auto *info = reinterpret_cast<const PRINTER_INFO_4A *>(printers);
        for (DWORD i = 0; i < returned; ++i)
            fprintf(out, " spooler%d '%s'\n", static_cast<int>(i + 1),
                    info[i].pPrinterName ? info[i].pPrinterName : "");
    }
    fputs("\n", out);

    needed = 0;
    returned = 0;
    sys::EnumPrinterDriversA(nullptr, nullptr, 2, nullptr, 0, &needed, &returned);
    if (needed != 0) {
        std::unique_ptr<BYTE[]> drivers(new (std::nothrow) BYTE[needed]);
        if (drivers &&
            sys::EnumPrinterDriversA(nullptr, nullptr, 2, drivers.get(), needed, &needed, &returned)) {
            const auto *info = reinterpret_cast<const DRIVER_INFO_2A *>(drivers.get());
            for (DWORD i = 0; i < returned; ++i)
                if (info[i].pName != nullptr && info[i].pName[0] != '\0')
                    fprintf(out, "%3d '%s'\n", static_cast<int>(i + 1),
                            info[i].pDriverPath ? info[i].pDriverPath : "");
        }
    }
    fflush(out);
    return kExitOk;
}

} // namespace rawpush
