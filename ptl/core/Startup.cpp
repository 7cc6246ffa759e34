#include "core/Startup.h"

#include <map>

#include "core/Console.h"
#include "core/Log.h"
#include "core/Results.h"
#include "os/Syscalls.h"

namespace ptl {

namespace {

HINSTANCE gInstance = nullptr;
HWND gWindow = nullptr;

// Used only on the thread that started the library; the maps do not own the ports.
std::map<SOCKET, SocketSink *> &sockets() {
    static auto *m = new std::map<SOCKET, SocketSink *>;
    return *m;
}
std::map<WPARAM, MessageSink *> &messageSinks() {
    static auto *m = new std::map<WPARAM, MessageSink *>;
    return *m;
}

constexpr WORD kWinsockVersion = MAKEWORD(2, 2);

} // namespace

int startup(HINSTANCE instance) {
    logEntry(0, "PtlStartup hInst=%08X", static_cast<unsigned>(reinterpret_cast<uintptr_t>(instance)));
    if (!openLog()) {
        cleanup();
        return kLogFailed;
    }
    WSADATA data{};
    if (os::WSAStartup(kWinsockVersion, &data) != 0 || data.wVersion != kWinsockVersion) {
        cleanup();
        return kSocketLayerFailed;
    }
    gInstance = instance;
    WNDCLASSA cls{};
    cls.lpfnWndProc = ptlWindowProc;
    cls.hInstance = instance;
    cls.lpszClassName = kWindowClass;
    if (os::RegisterClassA(&cls) == 0) {
        cleanup();
        return kWindowFailed;
    }
    // The window only receives the notifications that the socket layer posts for window-notified ports,
    // and only while the starting thread pumps. A message-only window receives posted messages like any
    // other, but is never enumerated, gets no broadcasts (which a thread that pumps only when its caller
    // chooses would hold up) and needs no surface or input-method window. It does not make the start
    // cheaper under Wine: there the cost is the window library's initialisation (10-14 ms, its graphics
    // and font set-up) and the class registration, which fetches the desktop window and so starts a
    // desktop process when none runs (30-90 ms); the result codes need both calls.
    gWindow = os::CreateWindowExA(0, kWindowClass, "", 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, HWND_MESSAGE, nullptr, instance, nullptr);
    if (gWindow == nullptr) {
        // The class was registered by this start; take it back so that the next start can succeed.
        os::UnregisterClassA(kWindowClass, instance);
        cleanup();
        return kWindowFailed;
    }
    logResult(0, "PtlStartup %d", kOk);
    return kOk;
}

int cleanup() {
    logEntry(0, "PtlCleanup");
    if (gWindow != nullptr) {
        os::DestroyWindow(gWindow);
        gWindow = nullptr;
        os::UnregisterClassA(kWindowClass, gInstance);
    }
    os::WSACleanup();
    logResult(0, "PtlCleanup %d", kOk);
    closeLog();
    return kOk;
}

HWND notificationWindow() {
    return gWindow;
}

void RegistSocket(SOCKET s, SocketSink *port) {
    debugLine("PTL: RegistSocket(%d)\n", static_cast<int>(s));
    sockets().emplace(s, port); // a second registration keeps the first entry
}

void UnRegistSocket(SOCKET s) {
    debugLine("PTL: UnRegistSocket(%d)\n", static_cast<int>(s));
    sockets().erase(s);
}

void registMessageSink(WPARAM key, MessageSink *sink) {
    messageSinks().emplace(key, sink);
}
void unregistMessageSink(WPARAM key) {
    messageSinks().erase(key);
}

LRESULT CALLBACK ptlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= kMsgSecondFirst && message <= kMsgSecondLast) {
        auto it = messageSinks().find(wParam);
        if (it != messageSinks().end())
            it->second->onMessage(window, message, wParam, lParam);
        return 0;
    }
    if (message == kMsgSocket) {
        auto it = sockets().find(static_cast<SOCKET>(wParam));
        if (it != sockets().end())
            it->second->WmWsaAsyncSelect(window, message, wParam, lParam);
        return 0;
    }
    if (message > WM_USER && message <= kMsgUserLast) {
        fputs("@@Unkown WM_USER\n", consoleOut());
        fflush(consoleOut());
        return 0;
    }
    return os::DefWindowProcA(window, message, wParam, lParam);
}

} // namespace ptl
