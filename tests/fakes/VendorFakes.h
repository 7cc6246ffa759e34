// What the fake printer libraries of other makers record and how tests script them. Each fake exports its
// state ("FakeState") for a test in the same process, logs one line per call and answers 0 unless scripted.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

struct VendorFake {
    struct {
        char fn[16];
        int result;
    } script[4];    // the answers of the named functions
    int moved;      // the most bytes a write or read moves (0: all, -1: none)
    int handle;     // handed out at open
    HANDLE event;   // the event given to the last open
    char reply[8];  // copied into every status or query buffer
    char log[4096]; // "fn(args)\n" per call
    int sentLen;
    char sent[1 << 20];
};

#ifdef VENDOR_FAKE
inline VendorFake fake;
extern "C" __declspec(dllexport) void *WINAPI FakeState() {
    return &fake;
}
// Logs the call and gives its scripted answer.
inline int call(const char *fn, const char *format, ...) {
    char args[256];
    va_list a;
    va_start(a, format);
    vsnprintf(args, sizeof args, format, a);
    va_end(a);
    snprintf(fake.log + strlen(fake.log), sizeof fake.log - strlen(fake.log), "%s(%s)\n", fn, args);
    for (const auto &s : fake.script)
        if (strcmp(s.fn, fn) == 0)
            return s.result;
    return 0;
}
// Functions that only log their integer arguments; R is the fake's result conversion.
// clang-format off
#define LOG1(fn) API fn(int a) { return R(call(#fn, "%d", a)); }
#define LOG2(fn) API fn(int a, int b) { return R(call(#fn, "%d,%d", a, b)); }
#define LOG3(fn) API fn(int a, int b, int c) { return R(call(#fn, "%d,%d,%d", a, b, c)); }
// clang-format on
// What a write or read of len bytes moves: a write's bytes are kept, a read gets 'r's.
inline int take(const void *data, int len) {
    const int n = fake.moved == 0 || fake.moved > len ? len : fake.moved < 0 ? 0 : fake.moved;
    if (fake.sentLen + n <= static_cast<int>(sizeof fake.sent))
        memcpy(fake.sent + fake.sentLen, data, n), fake.sentLen += n;
    return n;
}
inline int give(void *buf, int size) {
    const int n = fake.moved == 0 || fake.moved > size ? size : fake.moved < 0 ? 0 : fake.moved;
    return memset(buf, 'r', n), n;
}
#endif
