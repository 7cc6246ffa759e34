// A fake local-port library of the driver suite: its handles are the client ends of real named pipes, so
// they behave as Windows handles with overlapped I/O. The test reads what was written, and replies, at the
// pipe's other end.
#include <cstdio>

#include "fakes/MonitorFakes.h"

#define API extern "C" __declspec(dllexport) BOOL WINAPI

namespace {
OlmpaxFake s;
} // namespace

extern "C" __declspec(dllexport) void *WINAPI FakeState() {
    return &s;
}

extern "C" __declspec(dllexport) HANDLE WINAPI
    SD_CreateFile(const wchar_t *name, DWORD access, DWORD share, SECURITY_ATTRIBUTES *sa, DWORD, DWORD flags,
                  HANDLE templ) {
    static int serial = 0;
    WideCharToMultiByte(CP_ACP, 0, name, -1, s.name, sizeof s.name, nullptr, nullptr);
    s.flags = flags;
    char pipe[64];
    snprintf(pipe, sizeof pipe, "\\\\.\\pipe\\olmpax-%lu-%d", GetCurrentProcessId(), ++serial);
    // Buffers large enough for a whole test job: writes complete without a reader.
    s.server = CreateNamedPipeA(pipe, PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, 1, 1 << 20, 1 << 20, 0, nullptr);
    return CreateFileA(pipe, access, share, sa, OPEN_EXISTING, flags, templ);
}
API SD_CloseHandle(HANDLE h) {
    return CloseHandle(h);
}
API SD_WriteFile(HANDLE h, const void *data, DWORD n, DWORD *done, OVERLAPPED *ov) {
    ++s.plainWrites;
    return WriteFile(h, data, n, done, ov);
}
API SD_WriteFile2(HANDLE h, const void *data, DWORD n, DWORD *done, OVERLAPPED *ov) {
    ++s.forcedWrites;
    return WriteFile(h, data, n, done, ov);
}
API SD_ReadFile(HANDLE h, void *buf, DWORD n, DWORD *done, OVERLAPPED *ov) {
    return ReadFile(h, buf, n, done, ov);
}
API SD_HWReset(HANDLE) {
    return s.resetResult;
}
