// IBM's printer device library: Windows standard calls with 16-bit results (the upper half is noise).
#define VENDOR_FAKE
#include "fakes/VendorFakes.h"

#include <cstdint>

#define API extern "C" __declspec(dllexport) uint32_t WINAPI
#define R(x) (0xBEEF0000u | static_cast<uint16_t>(x))

API PrtOpenDevice(uint32_t *h, uint16_t port, int timeout) {
    *h = fake.handle;
    return R(call("PrtOpenDevice", "%d,%d", port, timeout));
}
LOG1(PrtCloseDevice)
LOG2(PrtBeginTrans)
LOG1(PrtEndTrans)
API PrtWriteDevice(uint32_t h, uint16_t st, const void *data, uint32_t *count) {
    const int r = call("PrtWriteDevice", "%u,%d,%u", h, st, *count);
    *count = 0x10000u | take(data, *count);
    return R(r);
}
API PrtReadDevice(uint32_t h, uint16_t st, void *buf, uint32_t *count) {
    const int r = call("PrtReadDevice", "%u,%d,%u", h, st, *count);
    *count = give(buf, *count);
    return R(r);
}
API PrtDeviceStatus(uint32_t h, uint16_t st, int a, void *p, uint32_t *len) {
    memcpy(p, fake.reply, 6);
    return R(call("PrtDeviceStatus", "%u,%d,%d,%u", h, st, a, *len));
}
API PrtGetEnvVars(uint32_t h, uint16_t st, void *buf, int index) {
    memcpy(buf, fake.reply, 8);
    return R(call("PrtGetEnvVars", "%u,%d,%d", h, st, index));
}
LOG2(PrtGetCP)
LOG3(PrtSetCP)
