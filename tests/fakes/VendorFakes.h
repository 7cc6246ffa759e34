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
    } script[4];    // the answer of the named functions
    int moved;      // what a write or read reports moved (-1: all it was given)
    int handle;     // handed out at open
    HANDLE event;   // the event given to the last open
    char reply[8];  // copied into every status or query buffer
    char log[4096]; // "fn(args)\n" per call
    int sentLen;    // bytes written so far
    char sent[1 << 20];
};

#ifdef VENDOR_FAKE
inline VendorFake fake;
extern "C" __declspec(dllexport) void *WINAPI FakeState() {
    return &fake;
}
inline int answer(const char *fn) {
    for (const auto &s : fake.script)
        if (strcmp(s.fn, fn) == 0)
            return s.result;
    return 0;
}
// Logs the call and gives its scripted answer.
inline int call(const char *fn, const char *format, ...) {
    const size_t at = strlen(fake.log);
    int n = snprintf(fake.log + at, sizeof fake.log - at, "%s(", fn);
    va_list a;
    va_start(a, format);
    n += vsnprintf(fake.log + at + n, sizeof fake.log - at - n, format, a);
    va_end(a);
    snprintf(fake.log + at + n, sizeof fake.log - at - n, ")\n");
    return answer(fn);
}
// Takes what a write moves; the count it reports.
inline int take(const void *data, int len) {
    const int n = fake.moved < 0 || fake.moved > len ? len : fake.moved;
    if (n > 0 && fake.sentLen + n <= static_cast<int>(sizeof fake.sent))
        memcpy(fake.sent + fake.sentLen, data, n), fake.sentLen += n;
    return n;
}
// Fills a read buffer with what was sent; the count it reports.
inline int give(void *buf, int size) {
    const int n = fake.moved < 0 || fake.moved > size ? size : fake.moved;
    memset(buf, 'r', n);
    return n;
}
#endif
