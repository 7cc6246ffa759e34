// The printer libraries of other makers, loaded by file name with the normal search at the first call that
// needs them and kept; each function is looked up at each call. A missing library or function gives the
// library's fixed "missing" answer, which the ports turn into their usual result codes.
#pragma once

#include <windows.h>

#include <cstdint>

#include "core/Results.h"
#include "os/RuntimeLibrary.h"

namespace ptl::vendor {

// WNTSFPRT.DLL, Windows standard calls answering 16-bit results (0 = success).
os::RuntimeLibrary &ibmLibrary();
constexpr uint16_t kIbmMissing = static_cast<uint16_t>(kIbmLibraryMissing);
uint16_t prtOpenDevice(uint32_t *handle, uint16_t portNo, int timeoutMs);
uint16_t prtCloseDevice(uint32_t handle);
uint16_t prtBeginTrans(uint32_t handle, int mode);
uint16_t prtEndTrans(uint32_t handle);
uint16_t prtWriteDevice(uint32_t handle, uint16_t station, const void *data, uint32_t *count);
uint16_t prtReadDevice(uint32_t handle, uint16_t station, void *buffer, uint32_t *count);
uint16_t prtDeviceStatus(uint32_t handle, uint16_t station, int a, void *p, intptr_t b);
uint16_t prtGetEnvVars(uint32_t handle, uint16_t station, void *buffer, int index);
uint16_t prtGetCP(uint32_t handle, int a);
uint16_t prtSetCP(uint32_t handle, int a, int b);

// HPRDH.dll, caller-cleaned.
os::RuntimeLibrary &hprdhLibrary();
constexpr int32_t kHprdhMissing = 0x20000009;
int32_t hpPrtOpenA(int32_t *handle, const char *name);
int32_t hpPrtClose(int32_t *handle);
int32_t hpPrtClaim(int32_t handle, int timeoutMs);
int32_t hpPrtRelease(int32_t handle);
int32_t hpPrtWrite(int32_t handle, const void *data, int len, int32_t *written);

// kvBSescM.dll, Windows standard calls.
os::RuntimeLibrary &kvbsdhLibrary();
constexpr int32_t kKvbsdhNoLibrary = kLibraryMissing;
constexpr int32_t kKvbsdhNoFunction = static_cast<int32_t>(0x8000FFFFu);
int32_t devOpenA(int32_t *handle, const char *name, int flags, const char *library);
int32_t devClose(int32_t handle);
int32_t devWrite(int32_t handle, int timeoutMs, const void *data, int len, int *written);
int32_t devRead(int32_t handle, int timeoutMs, uint32_t *scratch, void *buffer, int size, int *got);
int32_t devLock(int32_t handle, int value);
int32_t devUnlock(int32_t handle);

// kvBSLmIF.dll, caller-cleaned.
os::RuntimeLibrary &kvbslmLibrary();
constexpr int32_t kKvbslmMissing = -99;
int32_t liOpen(int reserved, const char *name, HANDLE event, int32_t *handle);
int32_t liClose(int32_t handle);
int32_t liLock(int32_t handle);
int32_t liUnlock(int32_t handle);
int32_t liWrite(int32_t handle, int flags, const void *data, int len, int *written);
int32_t liRead(int32_t handle, int *sizeCopy, void *buffer, int size, int *got);

// EBAPI.DLL, caller-cleaned.
os::RuntimeLibrary &ebapiLibrary();
constexpr int32_t kEbapiMissing = -13;
int32_t ebInitialize();
int32_t ebRelease();
int32_t ebOpenChannel(int32_t arg1, const char *name, int32_t arg3);
int32_t ebSend(int32_t channel, const void *data, int len);
int32_t ebReceive(int32_t channel, void *buffer, int *sizeCopy, int timeout);

} // namespace ptl::vendor
