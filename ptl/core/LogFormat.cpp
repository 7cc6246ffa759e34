#include "core/LogFormat.h"

#include <cstdio>

namespace ptl {

size_t formatLogPrefix(char *out, size_t size, uint32_t flags, const LogClock &c, int handle) {
    size_t n = 0;
    out[0] = '\0';
    if (flags & kLogTime) {
        int w = snprintf(out + n, size - n, "%02d%02d %02d%02d%02d.%03d ", c.month, c.day, c.hour, c.minute,
                         c.second, c.millis);
        if (w > 0)
            n += static_cast<size_t>(w);
    }
    if ((flags & kLogHandle) && n < size) {
        int w = snprintf(out + n, size - n, "%08X ", static_cast<unsigned>(handle));
        if (w > 0)
            n += static_cast<size_t>(w);
    }
    return n < size ? n : size - 1;
}

size_t formatTraceBytes(char *out, size_t size, const unsigned char *data, size_t count) {
    size_t n = 0;
    out[0] = '\0';
    for (size_t i = 0; i < count && n + 4 <= size; ++i) {
        snprintf(out + n, size - n, " %02X", data[i]);
        n += 3;
    }
    return n;
}

} // namespace ptl
