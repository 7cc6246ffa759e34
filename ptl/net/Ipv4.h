// IPv4 endpoint helpers shared by the network ports and the simulator; no operating-system calls.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ptl::net {

// Dotted form of an address held in network byte order ("192.168.1.100"). out holds at least 16 bytes;
// returns out.
char *formatIpv4(uint32_t netOrder, char *out, size_t size);

// Network byte order of a 16-bit value given in host order, and back (the ports keep ports in network
// order in their socket address, as the socket layer wants them).
uint16_t portToNet(uint16_t host);
uint16_t portFromNet(uint16_t net);

} // namespace ptl::net
