// What rawpush's process has and a bare loop lacks: the system libraries ptl.dll imports, and the hidden
// window its start-up creates. Under Wine both cost start-up time and can slow a process down later; a
// baseline built with PTL_BENCH_SYSTEM_DLLS pays the same, so that the figures show the library's own
// cost apart from the platform's.
#pragma once

#ifdef PTL_BENCH_SYSTEM_DLLS
#include <windows.h>

inline void loadPtlSystemLibraries() {
    RegCloseKey(nullptr); // advapi32
    WNDCLASSA cls{};
    cls.lpfnWndProc = DefWindowProcA;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = "PtlBenchClass";
    RegisterClassA(&cls);
    CreateWindowExA(0, cls.lpszClassName, "", 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                    nullptr, nullptr, cls.hInstance, nullptr);
}
#else
inline void loadPtlSystemLibraries() {}
#endif
