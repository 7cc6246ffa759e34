// Names of the serial and parallel devices: the device path, the private DOS-device alias that reaches
// the real port when the spooler has redirected COMn or LPTn to its named pipe, and the choice of the
// alias target from a QueryDosDevice list. Portable.
#pragma once

#include <cstddef>

namespace ptl {

constexpr size_t kDevicePathSize = 260;
// Size of the QueryDosDevice answer buffer.
constexpr size_t kDosTargetsSize = 4160;
// Targets that begin with this belong to the spooler's port monitor, not to a device.
constexpr const char kSpoolerPipePrefix[] = "\\Device\\NamedPipe\\Spooler\\";
constexpr size_t kSpoolerPipePrefixLen = sizeof kSpoolerPipePrefix - 1; // 26

// "\\.\COM3": false when it does not fit (the output is then empty).
bool formatDevicePath(char *out, size_t size, const char *name, int portNo);
// "COM3" (the DOS name) and "PtlCOM3" (the alias).
bool formatDosName(char *out, size_t size, const char *name, int portNo);
bool formatAliasName(char *out, size_t size, const char *name, int portNo);
// "\\.\PtlCOM3"
bool formatAliasPath(char *out, size_t size, const char *name, int portNo);

// The first target of a QueryDosDevice list (NUL-terminated texts, ended by an empty one or by the
// end of the len bytes returned) whose first 26 bytes are not the spooler pipe prefix; null when none.
const char *firstDeviceTarget(const char *list, size_t len);

} // namespace ptl
