// EBAPI.DLL: caller-cleaned calls; send and receive answer a count, negative for a failure.
#define VENDOR_FAKE
#include "fakes/VendorFakes.h"

#define API extern "C" __declspec(dllexport) int __cdecl

API EBInitialize() {
    return call("EBInitialize", "");
}
API EBRelease() {
    return call("EBRelease", "");
}
API EBOpenChannel(int a1, const char *name, int a3) {
    const int r = call("EBOpenChannel", "%d,'%s',%d", a1, name, a3);
    return r != 0 ? r : fake.handle;
}
API EBSend(int ch, const void *data, int len) {
    const int r = call("EBSend", "%d,%d", ch, len);
    return r != 0 ? r : take(data, len);
}
API EBReceive(int ch, void *buf, int *size, int timeout) {
    const int r = call("EBReceive", "%d,%d,%d", ch, *size, timeout);
    return r != 0 ? r : give(buf, *size);
}
