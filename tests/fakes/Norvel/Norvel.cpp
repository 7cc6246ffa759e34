// A fake status-monitor client library: collects what SendReceive is given, answers scripted statuses and
// delivers received data through the registered callback from a thread of its own.
#include <algorithm>
#include <cstring>

#include "fakes/MonitorFakes.h"

#define API extern "C" __declspec(dllexport) uint32_t WINAPI

namespace {
NorvelFake s;
void *deliveryCallback, *deliveryContext; // what FakeDeliver's thread calls, with these bytes
const char *deliveryData;
int deliveryCount;
uint32_t note(const char *call, uint32_t status) {
    strncat(s.calls, call, sizeof s.calls - strlen(s.calls) - 1);
    return status;
}
DWORD WINAPI deliver(LPVOID) {
    using Callback = uint32_t(WINAPI *)(void *, int, const char *, int);
    return reinterpret_cast<Callback>(deliveryCallback)(deliveryContext, 0, deliveryData, deliveryCount);
}
} // namespace

extern "C" __declspec(dllexport) void *WINAPI FakeState() {
    return &s;
}
extern "C" __declspec(dllexport) int WINAPI FakeDeliver(const char *data, int n, int stale) {
    deliveryCallback = stale ? s.lastCallback : s.callback;
    deliveryContext = stale ? s.lastContext : s.context;
    deliveryData = data, deliveryCount = n;
    HANDLE t = deliveryCallback ? CreateThread(nullptr, 0, deliver, nullptr, 0, nullptr) : nullptr;
    return t && WaitForSingleObject(t, INFINITE) == WAIT_OBJECT_0 && CloseHandle(t);
}

API Open(const wchar_t *path, int *handle) {
    WideCharToMultiByte(CP_ACP, 0, path, -1, s.path, sizeof s.path, nullptr, nullptr);
    *handle = 7;
    return note("Open ", s.openStatus);
}
API Close(int) {
    return note("Close ", 0);
}
API Lock(int, int) {
    return note("Lock ", s.lockStatus);
}
API Unlock(int) {
    return note("Unlock ", s.lockStatus);
}
API Ioctl(int, int code, const int *data, int size, int, int, int) {
    s.ioctl[0] = code, s.ioctl[1] = size == 4 ? *data : -1;
    return s.ioctlStatus;
}
API RegisterCallback(int, int kind, void *cb, void *ctx) {
    if (s.registerStatus == 0 && kind == 0x60002)
        s.callback = s.lastCallback = cb, s.context = s.lastContext = ctx;
    return note("RegisterCallback ", s.registerStatus);
}
API UnRegisterCallback(int, int kind, void *cb, void *ctx) {
    if (kind == 0x60002 && cb == s.callback && ctx == s.context)
        s.callback = nullptr;
    return note("UnRegisterCallback ", s.registerStatus);
}
API SendReceive(int, const char *data, int n, int *written, int p5, int timeout, void *scratch, int p8,
                int *tail) {
    s.badArgs += p5 != 0 || timeout != 1000 || scratch == nullptr || p8 != 0 || *tail != 0;
    *written = s.stalled ? 0 : std::min(n, s.chunk > 0 ? s.chunk : n);
    // A stalled service waits (within the time-out) before it reports nothing; a slow printer takes a while.
    Sleep(s.stalled || s.chunk ? 2 : 0);
    memcpy(s.sent + s.sentLen, data, static_cast<size_t>(*written));
    s.sentLen += *written;
    return 0;
}
