#include "sender/System.h"

namespace rawpush::sys {

namespace {

// winspool.drv is loaded by the listing only: imported, it would be loaded into every run, which under
// Wine asks the host for its printers.
template <const char *Name, class F> struct Spooler;
template <const char *Name, class R, class... A> struct Spooler<Name, R(WINAPI *)(A...)> {
    static R WINAPI call(A... a) {
        static const HMODULE module = ::LoadLibraryA("winspool.drv");
        static const auto function =
            reinterpret_cast<R(WINAPI *)(A...)>(module != nullptr ? ::GetProcAddress(module, Name) : nullptr);
        if (function == nullptr) {
            ::SetLastError(ERROR_PROC_NOT_FOUND);
            return R{};
        }
        return function(a...);
    }
};

constexpr char kEnumPrinters[] = "EnumPrintersA";
constexpr char kEnumPrinterDrivers[] = "EnumPrinterDriversA";

} // namespace

#define RAWPUSH_SYS_DIRECT(name) decltype(&::name) const name = &::name;
RAWPUSH_SYS_DIRECT(CreateFileA)
RAWPUSH_SYS_DIRECT(CloseHandle)
RAWPUSH_SYS_DIRECT(ReadFile)
RAWPUSH_SYS_DIRECT(WriteFile)
RAWPUSH_SYS_DIRECT(GetFileSizeEx)
RAWPUSH_SYS_DIRECT(GetLastError)
RAWPUSH_SYS_DIRECT(SetLastError)
RAWPUSH_SYS_DIRECT(Sleep)
RAWPUSH_SYS_DIRECT(GetTickCount)
#undef RAWPUSH_SYS_DIRECT
decltype(&::EnumPrintersA) const EnumPrintersA = &Spooler<kEnumPrinters, decltype(&::EnumPrintersA)>::call;
decltype(&::EnumPrinterDriversA) const EnumPrinterDriversA =
    &Spooler<kEnumPrinterDrivers, decltype(&::EnumPrinterDriversA)>::call;

} // namespace rawpush::sys
