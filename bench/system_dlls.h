// What the library's start-up makes a process do and a bare loop does not: load the window library and the
// socket layer, register a window class and create the message-only notification window. Under Wine that
// is most of a short job's time; a baseline built with PTL_BENCH_SYSTEM_DLLS pays the same, so that the
// short-job figures show the library's own cost apart from the platform's.
#pragma once

#ifdef PTL_BENCH_SYSTEM_DLLS
#include <winsock2.h>
#include <windows.h>

inline HWND ptlBenchWindow = nullptr;

inline void loadPtlSystemLibraries() {
    RegCloseKey(nullptr); // advapi32
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    WNDCLASSA cls{};
    cls.lpfnWndProc = DefWindowProcA;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = "PtlBenchClass";
    RegisterClassA(&cls);
    ptlBenchWindow = CreateWindowExA(0, cls.lpszClassName, "", 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                     CW_USEDEFAULT, HWND_MESSAGE, nullptr, cls.hInstance, nullptr);
}

// What the library's clean-up undoes.
inline void unloadPtlSystemLibraries() {
    DestroyWindow(ptlBenchWindow);
    UnregisterClassA("PtlBenchClass", GetModuleHandleA(nullptr));
    WSACleanup();
}
#else
inline void loadPtlSystemLibraries() {}
inline void unloadPtlSystemLibraries() {}
#endif
