// What the fake status-monitor libraries record and how tests script them: each fake exports its state
// ("FakeState") so that a test in the same process reads and sets it directly.
#pragma once

#include <windows.h>

#include <cstdint>

struct NorvelFake {
    uint32_t openStatus, lockStatus, registerStatus, ioctlStatus;
    int chunk, stalled; // most bytes one SendReceive takes (0: all); takes nothing at all
    int badArgs;        // SendReceive calls whose fixed arguments are not the documented ones
    int ioctl[2];       // code and 4-byte value of the last Ioctl
    char path[MAX_PATH], calls[512];
    void *callback, *context, *lastCallback, *lastContext;
    int sentLen;
    char sent[1 << 20];
};

struct OlmpaxFake {
    char name[64];
    DWORD flags;
    int plainWrites, forcedWrites;
    BOOL resetResult;
    HANDLE server; // the other end of the pipe behind the last handle: the test reads and replies there
};

using FakeStateFn = void *(WINAPI *)();
// Norvel / KavroPH: calls the receive callback from a thread of its own (the last one registered, even
// after its removal, when stale is set); 1 when there was one to call.
using FakeDeliverFn = int(WINAPI *)(const char *data, int n, int stale);
