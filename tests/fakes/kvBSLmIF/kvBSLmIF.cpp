// kvBSLmIF.dll: caller-cleaned calls.
#define VENDOR_FAKE
#include "fakes/VendorFakes.h"

#define API extern "C" __declspec(dllexport) int __cdecl
#define R(x) x

API LIOpen(int zero, const char *name, HANDLE event, int *h) {
    fake.event = event;
    *h = fake.handle;
    // The event must be a live one, not yet signalled.
    return call("LIOpen", "%d,%s,%d", zero, name, WaitForSingleObject(event, 0) == WAIT_TIMEOUT);
}
LOG1(LIClose)
LOG1(LILock)
LOG1(LIUnlock)
API LIWrite(int h, int zero, const void *data, int len, int *written) {
    const int r = call("LIWrite", "%d,%d,%d,%d", h, zero, len, *written);
    *written = take(data, len);
    return r;
}
API LIRead(int h, int *sizeCopy, void *buf, int size, int *got) {
    const int r = call("LIRead", "%d,%d,%d,%d", h, *sizeCopy, size, *got);
    *got = give(buf, size);
    return r;
}
