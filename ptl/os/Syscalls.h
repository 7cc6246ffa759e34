// The system-call seam: every operating-system call of the library and the sender goes through one
// process-wide table of function pointers, so that tests can simulate devices, drivers and failures.
//
// Adding an entry is one line in PTL_SYSCALLS (or in one of the late-bound lists below). Code calls the
// wrapper of the same name: os::WriteFile(...).
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <winspool.h>
#include <shlobj.h>

#include <atomic>
#include <cstddef>

namespace ptl::os {

// Plain entries: the wrapper forwards to the table.
#define PTL_SYSCALLS(X)                                                                                      \
    X(ReadFile)                                                                                              \
    X(WriteFile)                                                                                             \
    X(GetFileSize)                                                                                           \
    X(GetFileSizeEx)                                                                                         \
    X(FlushFileBuffers)                                                                                      \
    X(DeviceIoControl)                                                                                       \
    X(GetOverlappedResult)                                                                                   \
    X(CancelIo)                                                                                              \
    X(GetStdHandle)                                                                                          \
    X(WriteConsoleA)                                                                                         \
    X(GetLastError)                                                                                          \
    X(SetLastError)                                                                                          \
    X(Sleep)                                                                                                 \
    X(GetTickCount)                                                                                          \
    X(GetLocalTime)                                                                                          \
    X(GetVersionExA)                                                                                         \
    X(GetWindowsDirectoryA)                                                                                  \
    X(GetModuleHandleA)                                                                                      \
    X(GetProcAddress)                                                                                        \
    X(OutputDebugStringA)                                                                                    \
    X(IsDebuggerPresent)                                                                                     \
    X(OpenFileMappingA)                                                                                      \
    X(SetEvent)                                                                                              \
    X(ResetEvent)                                                                                            \
    X(WaitForSingleObject)                                                                                   \
    X(WaitForMultipleObjects)                                                                                \
    X(GetCommState)                                                                                          \
    X(SetCommState)                                                                                          \
    X(GetCommTimeouts)                                                                                       \
    X(SetCommTimeouts)                                                                                       \
    X(PurgeComm)                                                                                             \
    X(ClearCommError)                                                                                        \
    X(EscapeCommFunction)                                                                                    \
    X(GetCommModemStatus)                                                                                    \
    X(SetCommMask)                                                                                           \
    X(WaitCommEvent)                                                                                         \
    X(SetupComm)                                                                                             \
    X(RegQueryValueExA)                                                                                      \
    X(GetProfileStringA)                                                                                     \
    X(RegisterClassA)                                                                                        \
    X(UnregisterClassA)                                                                                      \
    X(DefWindowProcA)                                                                                        \
    X(WSAStartup)                                                                                            \
    X(WSACleanup)                                                                                            \
    X(WSAGetLastError)                                                                                       \
    X(WSAEventSelect)                                                                                        \
    X(WSAAsyncSelect)                                                                                        \
    X(WSAEnumNetworkEvents)                                                                                  \
    X(WSASend)                                                                                               \
    X(WSARecv)                                                                                               \
    X(WSAGetOverlappedResult)                                                                                \
    X(connect)                                                                                               \
    X(send)                                                                                                  \
    X(recv)                                                                                                  \
    X(sendto)                                                                                                \
    X(recvfrom)                                                                                              \
    X(shutdown)                                                                                              \
    X(setsockopt)                                                                                            \
    X(ioctlsocket)                                                                                           \
    X(bind)                                                                                                  \
    X(select)

// Plain entries that create or close a system object (tests count what is open through them).
#define PTL_SYSCALLS_OBJECTS(X)                                                                              \
    X(CreateFileA)                                                                                           \
    X(CreateEventA)                                                                                          \
    X(CreateThread)                                                                                          \
    X(CloseHandle)                                                                                           \
    X(LoadLibraryA)                                                                                          \
    X(MultiByteToWideChar)                                                                                   \
    X(FreeLibrary)                                                                                           \
    X(RegOpenKeyExA)                                                                                         \
    X(RegCloseKey)                                                                                           \
    X(CreateWindowExA)                                                                                       \
    X(DestroyWindow)                                                                                         \
    X(socket)                                                                                                \
    X(closesocket)                                                                                           \
    X(WSACreateEvent)                                                                                        \
    X(WSACloseEvent)

// Entries whose defaults bind their function on the first call instead of importing it (Syscalls.cpp);
// without the library or the function they fail with ERROR_PROC_NOT_FOUND. The spooler's: under Wine,
// loading winspool.drv asks the host for its printers, a cost every process would pay at start. The
// DOS-device calls: not every system has them.
#define PTL_SYSCALLS_SPOOLER(X)                                                                              \
    X(EnumPrintersA)                                                                                         \
    X(EnumPrinterDriversA)                                                                                   \
    X(OpenPrinterA)                                                                                          \
    X(ClosePrinter)                                                                                          \
    X(StartDocPrinterA)                                                                                      \
    X(EndDocPrinter)                                                                                         \
    X(StartPagePrinter)                                                                                      \
    X(EndPagePrinter)                                                                                        \
    X(WritePrinter)                                                                                          \
    X(ReadPrinter)                                                                                           \
    X(GetJobA)                                                                                               \
    X(SetJobA)                                                                                               \
    X(GetPrinterA)                                                                                           \
    X(SetPrinterA)
#define PTL_SYSCALLS_KERNEL_LATE(X)                                                                          \
    X(QueryDosDeviceA)                                                                                       \
    X(DefineDosDeviceA)
// shell32 is only wanted for the program-files folder.
#define PTL_SYSCALLS_SHELL(X) X(SHGetSpecialFolderPathA)

// Binds Module's function Name on its first call (Syscalls.cpp); 0 with ERROR_PROC_NOT_FOUND without it.
template <const char *Module, const char *Name, class F> struct LateBound;
template <const char *Module, const char *Name, class R, class... A>
struct LateBound<Module, Name, R(WINAPI *)(A...)> {
    static R WINAPI call(A... a);
};
namespace late_names {
extern const char winspool[];
extern const char kernel32[];
extern const char shell32[];
#define PTL_OS_NAME(name) extern const char name[];
PTL_SYSCALLS_SPOOLER(PTL_OS_NAME)
PTL_SYSCALLS_KERNEL_LATE(PTL_OS_NAME)
PTL_SYSCALLS_SHELL(PTL_OS_NAME)
#undef PTL_OS_NAME
} // namespace late_names

// The table. Its default values are the real functions.
struct Api {
#define PTL_OS_FIELD(name) decltype(&::name) name = &::name;
#define PTL_OS_LATE_FIELD(module, name)                                                                      \
    decltype(&::name) name = &LateBound<late_names::module, late_names::name, decltype(&::name)>::call;
#define PTL_OS_SPOOLER_FIELD(name) PTL_OS_LATE_FIELD(winspool, name)
#define PTL_OS_KERNEL_FIELD(name) PTL_OS_LATE_FIELD(kernel32, name)
#define PTL_OS_SHELL_FIELD(name) PTL_OS_LATE_FIELD(shell32, name)
    PTL_SYSCALLS(PTL_OS_FIELD)
    PTL_SYSCALLS_OBJECTS(PTL_OS_FIELD)
    PTL_SYSCALLS_SPOOLER(PTL_OS_SPOOLER_FIELD)
    PTL_SYSCALLS_KERNEL_LATE(PTL_OS_KERNEL_FIELD)
    PTL_SYSCALLS_SHELL(PTL_OS_SHELL_FIELD)
#undef PTL_OS_SHELL_FIELD
#undef PTL_OS_KERNEL_FIELD
#undef PTL_OS_SPOOLER_FIELD
#undef PTL_OS_LATE_FIELD
#undef PTL_OS_FIELD
};

// The live table that every wrapper reads.
Api &api();
// The system's own functions, for simulators that pass some calls through.
const Api &realApi();

#define PTL_OS_WRAP(name)                                                                                    \
    template <class... A> inline auto name(A &&...a) {                                                       \
        return api().name(static_cast<A &&>(a)...);                                                          \
    }
PTL_SYSCALLS(PTL_OS_WRAP)
PTL_SYSCALLS_OBJECTS(PTL_OS_WRAP)
PTL_SYSCALLS_SPOOLER(PTL_OS_WRAP)
PTL_SYSCALLS_KERNEL_LATE(PTL_OS_WRAP)
PTL_SYSCALLS_SHELL(PTL_OS_WRAP)
#undef PTL_OS_WRAP

// What the tests simulate behind the table, switched on by their support code and off in every other run.
// The library then takes the simulated answers without the precautions it keeps for the real system.
struct Simulation {
    std::atomic<bool> debugOutput{false}; // a test reads the debug lines: send every one
    std::atomic<bool> dosDevices{false};  // DOS-device aliases are simulated: safe to make under Wine
};
Simulation &simulation();

// True when the process runs under Wine (ntdll exports wine_get_version). Looked up once.
bool isWine();

} // namespace ptl::os
