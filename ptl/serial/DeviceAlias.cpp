#include "serial/DeviceAlias.h"

#include <cstdio>
#include <cstring>

namespace ptl {

namespace {

bool formatChecked(char *out, size_t size, const char *prefix, const char *name, int portNo) {
    if (size == 0)
        return false;
    const int n = snprintf(out, size, "%s%s%d", prefix, name, portNo);
    if (n < 0 || static_cast<size_t>(n) >= size) {
        out[0] = '\0';
        return false;
    }
    return true;
}

} // namespace

bool formatDevicePath(char *out, size_t size, const char *name, int portNo) {
    return formatChecked(out, size, "\\\\.\\", name, portNo);
}

bool formatDosName(char *out, size_t size, const char *name, int portNo) {
    return formatChecked(out, size, "", name, portNo);
}

bool formatAliasName(char *out, size_t size, const char *name, int portNo) {
    return formatChecked(out, size, "Ptl", name, portNo);
}

bool formatAliasPath(char *out, size_t size, const char *name, int portNo) {
    return formatChecked(out, size, "\\\\.\\Ptl", name, portNo);
}

const char *firstDeviceTarget(const char *list, size_t len) {
    size_t pos = 0;
    while (pos < len && list[pos] != '\0') {
        const char *target = list + pos;
        const void *end = std::memchr(target, '\0', len - pos);
        // A target cut off by the end of the answer is not a usable name.
        if (end == nullptr)
            return nullptr;
        const size_t tlen = static_cast<size_t>(static_cast<const char *>(end) - target);
        // Byte-wise over exactly 26 bytes: a shorter target differs at its terminator at the latest.
        if (tlen < kSpoolerPipePrefixLen ||
            std::memcmp(target, kSpoolerPipePrefix, kSpoolerPipePrefixLen) != 0)
            return target;
        pos += tlen + 1;
    }
    return nullptr;
}

} // namespace ptl
