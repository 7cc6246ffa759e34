#include "usb/UsbPath.h"

#include <cstdio>

namespace ptl {

namespace {

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

bool passesIdFilter(const char *path, uint16_t vendorId, uint16_t productId) {
    if (vendorId == 0)
        return true;
    char prefix[32];
    if (productId != 0)
        snprintf(prefix, sizeof prefix, "\\\\?\\usb#vid_%04x&pid_%04x", vendorId, productId);
    else
        snprintf(prefix, sizeof prefix, "\\\\?\\usb#vid_%04x", vendorId);
    for (size_t i = 0; prefix[i] != '\0'; ++i) {
        if (path[i] == '\0' || lower(path[i]) != prefix[i])
            return false;
    }
    return true;
}

size_t boundedLength(const char *text, size_t max) {
    size_t n = 0;
    while (n < max && text[n] != '\0')
        ++n;
    return n;
}

} // namespace ptl
