// The sender's own calls to the system: its file reading, the progress writes, the clock and pauses, and
// the printer listing. rawpush.exe binds them to the system (System.cpp); in-process tests bind them to the
// library's system-call seam so that they can simulate files, clocks and spoolers.
#pragma once

#include <windows.h>
#include <winspool.h>

#define RAWPUSH_SYSCALLS(X)                                                                                  \
    X(CreateFileA)                                                                                           \
    X(CloseHandle)                                                                                           \
    X(ReadFile)                                                                                              \
    X(WriteFile)                                                                                             \
    X(GetFileSizeEx)                                                                                         \
    X(GetLastError)                                                                                          \
    X(SetLastError)                                                                                          \
    X(Sleep)                                                                                                 \
    X(GetTickCount)                                                                                          \
    X(EnumPrintersA)                                                                                         \
    X(EnumPrinterDriversA)

namespace rawpush::sys {

#define RAWPUSH_SYS_DECLARE(name) extern decltype(&::name) const name;
RAWPUSH_SYSCALLS(RAWPUSH_SYS_DECLARE)
#undef RAWPUSH_SYS_DECLARE

} // namespace rawpush::sys
