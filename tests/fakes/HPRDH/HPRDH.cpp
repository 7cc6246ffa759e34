// HPRDH.dll: caller-cleaned calls.
#define VENDOR_FAKE
#include "fakes/VendorFakes.h"

#define API extern "C" __declspec(dllexport) int __cdecl
#define R(x) x

API PrtOpenA(int *h, const char *name) {
    *h = fake.handle;
    return call("PrtOpenA", "%s", name);
}
API PrtClose(int *h) {
    return call("PrtClose", "%d", *h);
}
LOG2(PrtClaim)
LOG1(PrtRelease)
API PrtWrite(int h, const void *data, int len, int *written) {
    const int r = call("PrtWrite", "%d,%d,%d", h, len, *written);
    *written = take(data, len);
    return r;
}
