// The system-call seam: every operating-system call of the library and the sender goes through one
// process-wide table of function pointers, so that tests can simulate devices, drivers and failures.
//
// Adding an entry is one line in PTL_SYSCALLS (or PTL_SYSCALLS_TRACKED when the call creates or closes
// something that must be accounted for). Code calls the wrapper of the same name: os::WriteFile(...).
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <winspool.h>

#include <cstddef>
#include <string>

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
    X(QueryDosDeviceA)                                                                                       \
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

// Spooler entries (winspool.drv): plain wrappers, but the table's defaults load the library on first
// use instead of at process start (see Syscalls.cpp).
#define PTL_SYSCALLS_SPOOLER(X)                                                                              \
    X(EnumPrintersA)                                                                                         \
    X(EnumPrinterDriversA)                                                                                   \
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

// Tracked entries: their wrappers (in Syscalls.cpp) record what they open and forget what they close.
#define PTL_SYSCALLS_TRACKED(X)                                                                              \
    X(CreateFileA)                                                                                           \
    X(CreateEventA)                                                                                          \
    X(CreateThread)                                                                                          \
    X(CloseHandle)                                                                                           \
    X(LoadLibraryA)                                                                                          \
    X(FreeLibrary)                                                                                           \
    X(RegOpenKeyExA)                                                                                         \
    X(RegCloseKey)                                                                                           \
    X(CreateWindowExA)                                                                                       \
    X(DestroyWindow)                                                                                         \
    X(socket)                                                                                                \
    X(closesocket)                                                                                           \
    X(WSACreateEvent)                                                                                        \
    X(WSACloseEvent)                                                                                         \
    X(DefineDosDeviceA)

// Binds a spooler function on its first call (Syscalls.cpp); 0 with ERROR_PROC_NOT_FOUND without it.
template <const char *Name, class F> struct SpoolerThunk;
template <const char *Name, class R, class... A> struct SpoolerThunk<Name, R(WINAPI *)(A...)> {
    static R WINAPI call(A... a);
};
namespace spooler_names {
#define PTL_OS_NAME(name) extern const char name[];
PTL_SYSCALLS_SPOOLER(PTL_OS_NAME)
PTL_OS_NAME(OpenPrinterA)
PTL_OS_NAME(ClosePrinter)
#undef PTL_OS_NAME
} // namespace spooler_names

// The table. Its default values are the real functions.
struct Api {
#define PTL_OS_FIELD(name) decltype(&::name) name = &::name;
#define PTL_OS_SPOOLER_FIELD(name)                                                                           \
    decltype(&::name) name = &SpoolerThunk<spooler_names::name, decltype(&::name)>::call;
    PTL_SYSCALLS(PTL_OS_FIELD)
    PTL_SYSCALLS_SPOOLER(PTL_OS_SPOOLER_FIELD)
    PTL_SYSCALLS_TRACKED(PTL_OS_FIELD)
    PTL_OS_SPOOLER_FIELD(OpenPrinterA)
    PTL_OS_SPOOLER_FIELD(ClosePrinter)
#undef PTL_OS_SPOOLER_FIELD
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
PTL_SYSCALLS_SPOOLER(PTL_OS_WRAP)
#undef PTL_OS_WRAP

HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD disposition,
                   DWORD flags, HANDLE templ);
HANDLE CreateEventA(LPSECURITY_ATTRIBUTES sa, BOOL manualReset, BOOL initial, LPCSTR name);
HANDLE CreateThread(LPSECURITY_ATTRIBUTES sa, SIZE_T stack, LPTHREAD_START_ROUTINE start, LPVOID arg,
                    DWORD flags, LPDWORD id);
BOOL CloseHandle(HANDLE h);
HMODULE LoadLibraryA(LPCSTR name);
BOOL FreeLibrary(HMODULE m);
LONG RegOpenKeyExA(HKEY root, LPCSTR sub, DWORD options, REGSAM sam, PHKEY out);
LONG RegCloseKey(HKEY key);
BOOL OpenPrinterA(LPSTR name, LPHANDLE out, LPPRINTER_DEFAULTSA defaults);
BOOL ClosePrinter(HANDLE h);
HWND CreateWindowExA(DWORD exStyle, LPCSTR cls, LPCSTR title, DWORD style, int x, int y, int w, int h,
                     HWND parent, HMENU menu, HINSTANCE inst, LPVOID param);
BOOL DestroyWindow(HWND w);
SOCKET socket(int af, int type, int protocol);
int closesocket(SOCKET s);
// Socket events are system events: counted as handles.
WSAEVENT WSACreateEvent();
BOOL WSACloseEvent(WSAEVENT e);
BOOL DefineDosDeviceA(DWORD flags, LPCSTR device, LPCSTR target);

// What the library holds open through the seam, by kind.
enum class Res { Handle, Thread, Module, Key, Printer, Window, Socket, DosDevice, Count_ };

// Number of objects of one kind opened through the seam and not yet closed.
int openCount(Res kind);
// All kinds together.
int openTotal();
// One line per object still open ("Handle 0x00000040"), for test failure messages.
std::string openReport();

// Saves the whole table on construction and puts it back on destruction; tests change entries in between
// (guard->WriteFile = fake). Guards nest.
class ApiGuard {
public:
    ApiGuard();
    ~ApiGuard();
    ApiGuard(const ApiGuard &) = delete;
    ApiGuard &operator=(const ApiGuard &) = delete;
    Api *operator->() { return &api(); }
    Api &table() { return api(); }

private:
    Api saved_;
};

// True when the process runs under Wine (ntdll exports wine_get_version). Looked up once.
bool isWine();

} // namespace ptl::os
