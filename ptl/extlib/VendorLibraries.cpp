#include "extlib/VendorLibraries.h"

namespace ptl::vendor {

namespace {

template <const char *Name> HMODULE load() {
    return os::LoadLibraryA(Name);
}

constexpr char kIbm[] = "WNTSFPRT.DLL";
constexpr char kHprdh[] = "HPRDH.dll";
constexpr char kKvbsdh[] = "kvBSescM.dll";
constexpr char kKvbslm[] = "kvBSLmIF.dll";
constexpr char kEbapi[] = "EBAPI.DLL";

// kvBSescM tells a missing library from a missing function.
template <class... A> int32_t kvbsdh(const char *fn, A... a) {
    if (!kvbsdhLibrary().present())
        return kKvbsdhNoLibrary;
    return kvbsdhLibrary().call<int32_t>(fn, kKvbsdhNoFunction, a...);
}

} // namespace

os::RuntimeLibrary &ibmLibrary() {
    static os::RuntimeLibrary library(load<kIbm>);
    return library;
}
os::RuntimeLibrary &hprdhLibrary() {
    static os::RuntimeLibrary library(load<kHprdh>);
    return library;
}
os::RuntimeLibrary &kvbsdhLibrary() {
    static os::RuntimeLibrary library(load<kKvbsdh>);
    return library;
}
os::RuntimeLibrary &kvbslmLibrary() {
    static os::RuntimeLibrary library(load<kKvbslm>);
    return library;
}
os::RuntimeLibrary &ebapiLibrary() {
    static os::RuntimeLibrary library(load<kEbapi>);
    return library;
}

uint16_t prtOpenDevice(uint32_t *handle, uint16_t portNo, int timeoutMs) {
    return ibmLibrary().call<uint16_t>("PrtOpenDevice", kIbmMissing, handle, portNo, timeoutMs);
}
uint16_t prtCloseDevice(uint32_t handle) {
    return ibmLibrary().call<uint16_t>("PrtCloseDevice", kIbmMissing, handle);
}
uint16_t prtBeginTrans(uint32_t handle, int mode) {
    return ibmLibrary().call<uint16_t>("PrtBeginTrans", kIbmMissing, handle, mode);
}
uint16_t prtEndTrans(uint32_t handle) {
    return ibmLibrary().call<uint16_t>("PrtEndTrans", kIbmMissing, handle);
}
uint16_t prtWriteDevice(uint32_t handle, uint16_t station, const void *data, uint32_t *count) {
    return ibmLibrary().call<uint16_t>("PrtWriteDevice", kIbmMissing, handle, station, data, count);
}
uint16_t prtReadDevice(uint32_t handle, uint16_t station, void *buffer, uint32_t *count) {
    return ibmLibrary().call<uint16_t>("PrtReadDevice", kIbmMissing, handle, station, buffer, count);
}
uint16_t prtDeviceStatus(uint32_t handle, uint16_t station, int a, void *p, intptr_t b) {
    return ibmLibrary().call<uint16_t>("PrtDeviceStatus", kIbmMissing, handle, station, a, p, b);
}
uint16_t prtGetEnvVars(uint32_t handle, uint16_t station, void *buffer, int index) {
    return ibmLibrary().call<uint16_t>("PrtGetEnvVars", kIbmMissing, handle, station, buffer, index);
}
uint16_t prtGetCP(uint32_t handle, int a) {
    return ibmLibrary().call<uint16_t>("PrtGetCP", kIbmMissing, handle, a);
}
uint16_t prtSetCP(uint32_t handle, int a, int b) {
    return ibmLibrary().call<uint16_t>("PrtSetCP", kIbmMissing, handle, a, b);
}

int32_t hpPrtOpenA(int32_t *handle, const char *name) {
    return hprdhLibrary().callC<int32_t>("PrtOpenA", kHprdhMissing, handle, name);
}
int32_t hpPrtClose(int32_t *handle) {
    return hprdhLibrary().callC<int32_t>("PrtClose", kHprdhMissing, handle);
}
int32_t hpPrtClaim(int32_t handle, int timeoutMs) {
    return hprdhLibrary().callC<int32_t>("PrtClaim", kHprdhMissing, handle, timeoutMs);
}
int32_t hpPrtRelease(int32_t handle) {
    return hprdhLibrary().callC<int32_t>("PrtRelease", kHprdhMissing, handle);
}
int32_t hpPrtWrite(int32_t handle, const void *data, int len, int32_t *written) {
    return hprdhLibrary().callC<int32_t>("PrtWrite", kHprdhMissing, handle, data, len, written);
}

int32_t devOpenA(int32_t *handle, const char *name, int flags, const char *library) {
    return kvbsdh("devOpenA", handle, name, flags, library);
}
int32_t devClose(int32_t handle) {
    return kvbsdh("devClose", handle);
}
int32_t devWrite(int32_t handle, int timeoutMs, const void *data, int len, int *written) {
    return kvbsdh("devWrite", handle, timeoutMs, data, len, written);
}
int32_t devRead(int32_t handle, int timeoutMs, uint32_t *scratch, void *buffer, int size, int *got) {
    return kvbsdh("devRead", handle, timeoutMs, scratch, buffer, size, got);
}
int32_t devLock(int32_t handle, int value) {
    return kvbsdh("devLock", handle, value);
}
int32_t devUnlock(int32_t handle) {
    return kvbsdh("devUnlock", handle);
}

int32_t liOpen(int reserved, const char *name, HANDLE event, int32_t *handle) {
    return kvbslmLibrary().callC<int32_t>("LIOpen", kKvbslmMissing, reserved, name, event, handle);
}
int32_t liClose(int32_t handle) {
    return kvbslmLibrary().callC<int32_t>("LIClose", kKvbslmMissing, handle);
}
int32_t liLock(int32_t handle) {
    return kvbslmLibrary().callC<int32_t>("LILock", kKvbslmMissing, handle);
}
int32_t liUnlock(int32_t handle) {
    return kvbslmLibrary().callC<int32_t>("LIUnlock", kKvbslmMissing, handle);
}
int32_t liWrite(int32_t handle, int flags, const void *data, int len, int *written) {
    return kvbslmLibrary().callC<int32_t>("LIWrite", kKvbslmMissing, handle, flags, data, len, written);
}
int32_t liRead(int32_t handle, int *sizeCopy, void *buffer, int size, int *got) {
    return kvbslmLibrary().callC<int32_t>("LIRead", kKvbslmMissing, handle, sizeCopy, buffer, size, got);
}

int32_t ebInitialize() {
    return ebapiLibrary().callC<int32_t>("EBInitialize", kEbapiMissing);
}
int32_t ebRelease() {
    return ebapiLibrary().callC<int32_t>("EBRelease", kEbapiMissing);
}
int32_t ebOpenChannel(int32_t arg1, const char *name, int32_t arg3) {
    return ebapiLibrary().callC<int32_t>("EBOpenChannel", kEbapiMissing, arg1, name, arg3);
}
int32_t ebSend(int32_t channel, const void *data, int len) {
    return ebapiLibrary().callC<int32_t>("EBSend", kEbapiMissing, channel, data, len);
}
int32_t ebReceive(int32_t channel, void *buffer, int *sizeCopy, int timeout) {
    return ebapiLibrary().callC<int32_t>("EBReceive", kEbapiMissing, channel, buffer, sizeCopy, timeout);
}

} // namespace ptl::vendor
