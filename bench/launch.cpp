// bench_launch [-desktop=NAME] <program> [args...]: runs the program with its output discarded and prints
// "wall_ms=<n> peak_kib=<n> exit=<n>", measured from inside Windows so that Wine's own start-up is
// outside the figure. With -desktop the program runs on a desktop of that name in the window station,
// created for it when new: under Wine a new desktop has no desktop process yet (a cold start).
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char **argv) {
    int first = 1;
    std::string desktop;
    if (argc > 1 && strncmp(argv[1], "-desktop=", 9) == 0) {
        desktop = std::string("WinSta0\\") + (argv[1] + 9);
        first = 2;
    }
    if (argc <= first) {
        fprintf(stderr, "usage: bench_launch [-desktop=NAME] <program> [args...]\n");
        return 1;
    }
    std::string line;
    for (int i = first; i < argc; ++i) {
        if (i > first)
            line += ' ';
        line += '"';
        line += argv[i];
        line += '"';
    }
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE nul = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                             OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = si.hStdOutput = si.hStdError = nul;
    if (!desktop.empty())
        si.lpDesktop = desktop.data();
    PROCESS_INFORMATION pi{};
    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&t0);
    if (!CreateProcessA(argv[first], line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        fprintf(stderr, "cannot start %s (%lu)\n", argv[first], GetLastError());
        return 1;
    }
    // Sampled while the child runs: once it has ended, its counters may no longer be readable.
    SIZE_T peak = 0;
    for (;;) {
        PROCESS_MEMORY_COUNTERS mem{};
        mem.cb = sizeof mem;
        if (GetProcessMemoryInfo(pi.hProcess, &mem, sizeof mem)) {
            if (mem.PeakWorkingSetSize > peak)
                peak = mem.PeakWorkingSetSize;
            if (mem.PagefileUsage > peak)
                peak = mem.PagefileUsage;
        }
        if (WaitForSingleObject(pi.hProcess, 20) == WAIT_OBJECT_0)
            break;
    }
    QueryPerformanceCounter(&t1);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    printf("wall_ms=%lld peak_kib=%lu exit=%lu\n", (t1.QuadPart - t0.QuadPart) * 1000 / freq.QuadPart,
           static_cast<unsigned long>(peak / 1024), static_cast<unsigned long>(code));
    return 0;
}
