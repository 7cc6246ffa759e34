#include "net/Ipv4.h"

#include <cstdio>
#include <cstring>

namespace ptl::net {

char *formatIpv4(uint32_t netOrder, char *out, size_t size) {
    uint8_t b[4];
    std::memcpy(b, &netOrder, sizeof b); // network order: the first octet is the lowest-addressed byte
    snprintf(out, size, "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
    return out;
}

uint16_t portToNet(uint16_t host) {
    uint8_t b[2] = {static_cast<uint8_t>(host >> 8), static_cast<uint8_t>(host & 0xFF)};
    uint16_t v;
    std::memcpy(&v, b, sizeof v);
    return v;
}

uint16_t portFromNet(uint16_t net) {
    uint8_t b[2];
    std::memcpy(b, &net, sizeof b);
    return static_cast<uint16_t>(b[0] << 8 | b[1]);
}

} // namespace ptl::net
