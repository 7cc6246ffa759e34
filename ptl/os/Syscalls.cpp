#include "os/Syscalls.h"

#include <cstdio>
#include <map>
#include <mutex>
#include <utility>

namespace ptl::os {

namespace {

const Api kReal{};

Api &liveTable() {
    static Api table{};
    return table;
}

// Open objects keyed by (kind, value): a handle value can be reused by the system after it is closed,
// so the kind is part of the key and a close removes whichever kind holds the value.
struct Ledger {
    std::mutex lock;
    std::map<std::pair<int, uintptr_t>, int> open;

    void add(Res kind, uintptr_t value) {
        std::lock_guard<std::mutex> g(lock);
        ++open[{static_cast<int>(kind), value}];
    }
    void remove(Res kind, uintptr_t value) {
        std::lock_guard<std::mutex> g(lock);
        auto it = open.find({static_cast<int>(kind), value});
        if (it != open.end() && --it->second == 0)
            open.erase(it);
    }
    // CloseHandle closes events, files and threads alike.
    void removeHandle(uintptr_t value) {
        std::lock_guard<std::mutex> g(lock);
        for (Res kind : {Res::Handle, Res::Thread}) {
            auto it = open.find({static_cast<int>(kind), value});
            if (it != open.end()) {
                if (--it->second == 0)
                    open.erase(it);
                return;
            }
        }
    }
};

Ledger &ledger() {
    static Ledger *l = new Ledger; // never destroyed: ports may close handles during process exit
    return *l;
}

uintptr_t val(const void *p) {
    return reinterpret_cast<uintptr_t>(p);
}

// winspool.drv is loaded on the first spooler call, not at process start: under Wine its start-up asks the
// host for its printers, which costs every process 6 to 10 ms whether it used the spooler or not. shell32
// is only wanted for the program-files folder, so it is not imported either.
template <LateDll Dll> FARPROC lateProc(const char *name) {
    static const HMODULE module = ::LoadLibraryA(Dll == LateDll::Spooler ? "winspool.drv" : "shell32.dll");
    return module != nullptr ? ::GetProcAddress(module, name) : nullptr;
}

} // namespace

template <LateDll Dll, const char *Name, class R, class... A>
R WINAPI LateThunk<Dll, Name, R(WINAPI *)(A...)>::call(A... a) {
    static const auto function = reinterpret_cast<R(WINAPI *)(A...)>(lateProc<Dll>(Name));
    if (function == nullptr) {
        ::SetLastError(ERROR_PROC_NOT_FOUND);
        return R{};
    }
    return function(a...);
}

namespace late_names {
#define PTL_OS_NAME(name) extern const char name[] = #name;
PTL_SYSCALLS_SPOOLER(PTL_OS_NAME)
PTL_SYSCALLS_SHELL(PTL_OS_NAME)
PTL_OS_NAME(OpenPrinterA)
PTL_OS_NAME(ClosePrinter)
#undef PTL_OS_NAME
} // namespace late_names

#define PTL_OS_THUNK(dll, name) template struct LateThunk<LateDll::dll, late_names::name, decltype(&::name)>;
#define PTL_OS_SPOOLER_THUNK(name) PTL_OS_THUNK(Spooler, name)
#define PTL_OS_SHELL_THUNK(name) PTL_OS_THUNK(Shell, name)
PTL_SYSCALLS_SPOOLER(PTL_OS_SPOOLER_THUNK)
PTL_SYSCALLS_SHELL(PTL_OS_SHELL_THUNK)
PTL_OS_SPOOLER_THUNK(OpenPrinterA)
PTL_OS_SPOOLER_THUNK(ClosePrinter)
#undef PTL_OS_SHELL_THUNK
#undef PTL_OS_SPOOLER_THUNK
#undef PTL_OS_THUNK

Api &api() {
    return liveTable();
}
const Api &realApi() {
    return kReal;
}

HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD disposition,
                   DWORD flags, HANDLE templ) {
    HANDLE h = api().CreateFileA(path, access, share, sa, disposition, flags, templ);
    if (h != INVALID_HANDLE_VALUE && h != nullptr)
        ledger().add(Res::Handle, val(h));
    return h;
}

HANDLE CreateEventA(LPSECURITY_ATTRIBUTES sa, BOOL manualReset, BOOL initial, LPCSTR name) {
    HANDLE h = api().CreateEventA(sa, manualReset, initial, name);
    if (h != nullptr)
        ledger().add(Res::Handle, val(h));
    return h;
}

HANDLE CreateThread(LPSECURITY_ATTRIBUTES sa, SIZE_T stack, LPTHREAD_START_ROUTINE start, LPVOID arg,
                    DWORD flags, LPDWORD id) {
    HANDLE h = api().CreateThread(sa, stack, start, arg, flags, id);
    if (h != nullptr)
        ledger().add(Res::Thread, val(h));
    return h;
}

BOOL CloseHandle(HANDLE h) {
    BOOL ok = api().CloseHandle(h);
    if (ok)
        ledger().removeHandle(val(h));
    return ok;
}

HMODULE LoadLibraryA(LPCSTR name) {
    HMODULE m = api().LoadLibraryA(name);
    if (m != nullptr)
        ledger().add(Res::Module, val(m));
    return m;
}

BOOL FreeLibrary(HMODULE m) {
    BOOL ok = api().FreeLibrary(m);
    if (ok)
        ledger().remove(Res::Module, val(m));
    return ok;
}

LONG RegOpenKeyExA(HKEY root, LPCSTR sub, DWORD options, REGSAM sam, PHKEY out) {
    LONG r = api().RegOpenKeyExA(root, sub, options, sam, out);
    if (r == ERROR_SUCCESS && out != nullptr)
        ledger().add(Res::Key, val(*out));
    return r;
}

LONG RegCloseKey(HKEY key) {
    LONG r = api().RegCloseKey(key);
    if (r == ERROR_SUCCESS)
        ledger().remove(Res::Key, val(key));
    return r;
}

BOOL OpenPrinterA(LPSTR name, LPHANDLE out, LPPRINTER_DEFAULTSA defaults) {
    BOOL ok = api().OpenPrinterA(name, out, defaults);
    if (ok && out != nullptr)
        ledger().add(Res::Printer, val(*out));
    return ok;
}

BOOL ClosePrinter(HANDLE h) {
    BOOL ok = api().ClosePrinter(h);
    if (ok)
        ledger().remove(Res::Printer, val(h));
    return ok;
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR cls, LPCSTR title, DWORD style, int x, int y, int w, int h,
                     HWND parent, HMENU menu, HINSTANCE inst, LPVOID param) {
    HWND wnd = api().CreateWindowExA(exStyle, cls, title, style, x, y, w, h, parent, menu, inst, param);
    if (wnd != nullptr)
        ledger().add(Res::Window, val(wnd));
    return wnd;
}

BOOL DestroyWindow(HWND w) {
    BOOL ok = api().DestroyWindow(w);
    if (ok)
        ledger().remove(Res::Window, val(w));
    return ok;
}

SOCKET socket(int af, int type, int protocol) {
    SOCKET s = api().socket(af, type, protocol);
    if (s != INVALID_SOCKET)
        ledger().add(Res::Socket, static_cast<uintptr_t>(s));
    return s;
}

int closesocket(SOCKET s) {
    int r = api().closesocket(s);
    if (r == 0)
        ledger().remove(Res::Socket, static_cast<uintptr_t>(s));
    return r;
}

WSAEVENT WSACreateEvent() {
    WSAEVENT e = api().WSACreateEvent();
    if (e != WSA_INVALID_EVENT)
        ledger().add(Res::Handle, val(e));
    return e;
}

BOOL WSACloseEvent(WSAEVENT e) {
    BOOL ok = api().WSACloseEvent(e);
    if (ok)
        ledger().remove(Res::Handle, val(e));
    return ok;
}

// Aliases are keyed by their name's hash-free identity: the device name text decides what is removed.
BOOL DefineDosDeviceA(DWORD flags, LPCSTR device, LPCSTR target) {
    BOOL ok = api().DefineDosDeviceA(flags, device, target);
    if (ok && device != nullptr) {
        uintptr_t key = std::hash<std::string>{}(device);
        if (flags & DDD_REMOVE_DEFINITION)
            ledger().remove(Res::DosDevice, key);
        else
            ledger().add(Res::DosDevice, key);
    }
    return ok;
}

int openCount(Res kind) {
    Ledger &l = ledger();
    std::lock_guard<std::mutex> g(l.lock);
    int n = 0;
    for (const auto &[key, count] : l.open)
        if (key.first == static_cast<int>(kind))
            n += count;
    return n;
}

int openTotal() {
    Ledger &l = ledger();
    std::lock_guard<std::mutex> g(l.lock);
    int n = 0;
    for (const auto &entry : l.open)
        n += entry.second;
    return n;
}

std::string openReport() {
    static const char *const kNames[] = {"Handle",  "Thread", "Module", "Key",
                                         "Printer", "Window", "Socket", "DosDevice"};
    Ledger &l = ledger();
    std::lock_guard<std::mutex> g(l.lock);
    std::string out;
    for (const auto &[key, count] : l.open) {
        char line[64];
        snprintf(line, sizeof line, "%s 0x%08lX x%d\n", kNames[key.first],
                 static_cast<unsigned long>(key.second), count);
        out += line;
    }
    return out;
}

ApiGuard::ApiGuard() : saved_(api()) {}
ApiGuard::~ApiGuard() {
    api() = saved_;
}

bool isWine() {
    static const bool wine = [] {
        HMODULE ntdll = api().GetModuleHandleA("ntdll.dll");
        return ntdll != nullptr && api().GetProcAddress(ntdll, "wine_get_version") != nullptr;
    }();
    return wine;
}

} // namespace ptl::os
