// Library start-up and clean-up, the hidden notification window and its socket registry.
#pragma once

#include <winsock2.h>
#include <windows.h>

namespace ptl {

constexpr const char *kWindowClass = "PtlWinClass";
constexpr UINT kMsgSocket = WM_USER + 16;      // posted by the socket layer for registered sockets
constexpr UINT kMsgSecondFirst = WM_USER + 10; // routed through the second registry
constexpr UINT kMsgSecondLast = WM_USER + 15;
constexpr UINT kMsgUserLast = WM_USER + 99; // other private messages up to here are reported

// A port that receives socket notifications through the window (the window-notified TCP port).
class SocketSink {
public:
    virtual LRESULT WmWsaAsyncSelect(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;

protected:
    ~SocketSink() = default;
};

// A receiver of the messages WM_USER+10 to WM_USER+15 (nothing registers one today).
class MessageSink {
public:
    virtual LRESULT onMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;

protected:
    ~MessageSink() = default;
};

int startup(HINSTANCE instance);
int cleanup();

// The notification window, or null while the library is stopped.
HWND notificationWindow();

void RegistSocket(SOCKET s, SocketSink *port);
void UnRegistSocket(SOCKET s);
void registMessageSink(WPARAM key, MessageSink *sink);
void unregistMessageSink(WPARAM key);

LRESULT CALLBACK ptlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace ptl
