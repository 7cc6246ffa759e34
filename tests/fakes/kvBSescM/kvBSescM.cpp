// kvBSescM.dll: Windows standard calls.
#define VENDOR_FAKE
#include "fakes/VendorFakes.h"

#define API extern "C" __declspec(dllexport) int WINAPI
#define R(x) x

API devOpenA(int *h, const char *name, int flags, const char *lib) {
    *h = fake.handle;
    return call("devOpenA", "%s,%d,%s", name, flags, lib);
}
LOG1(devClose)
API devWrite(int h, int timeout, const void *data, int len, int *written) {
    *written = take(data, len);
    return call("devWrite", "%d,%d,%d", h, timeout, len);
}
API devRead(int h, int timeout, int *scratch, void *buf, int size, int *got) {
    *scratch = 0x5A5A5A5A;
    *got = give(buf, size);
    return call("devRead", "%d,%d,%d", h, timeout, size);
}
LOG2(devLock)
LOG1(devUnlock)
