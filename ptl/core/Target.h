// Target texts: the interface table and the parser that turns "COM3", "VQNET@10.0.0.5" or a file path
// into an interface type code and the values that configure the port.
#pragma once

#include <cstdint>

#include "core/IfTypes.h"

namespace ptl {

struct InterfaceRow {
    const char *name;
    int type;
    int defaultPort; // -1: none
    int subType;     // -1: none
};

// The 34 rows, scanned from top to bottom.
extern const InterfaceRow kInterfaceTable[34];

// What a target text names: the interface type code (kIfFile for a text that names no interface, kIfRefused
// for a mistyped network target, below), the port number or -1, the sub-type or -1, and the IPv4 address in
// network byte order or 0.
struct Target {
    int type;
    int portNo;
    int subType;
    uint32_t address;
};

// Parses a target text. Never fails; a null text is taken as an empty one.
Target parseTarget(const char *text);

// A dotted IPv4 address as the socket library's inet_addr reads it (parts in decimal, octal or hex; the
// last part fills the remaining bytes), in network byte order; 0xFFFFFFFF when the text is not one.
uint32_t ipv4FromText(const char *text);

// The same conversion telling a text that is no address apart from "255.255.255.255"; false leaves
// *address as it was.
bool readIpv4(const char *text, uint32_t *address);

// A network interface name, with or without a port number, directly followed by "@" and a text that is not
// a dotted IPv4 address ("VQNET@999.1.1.1", "VQNET9101@10.0.0.5junk").
bool isMistypedNetworkTarget(const char *text);

// Not 0, not all ones, first octet neither 0 nor 255 (address in network byte order).
bool isAcceptedAddress(uint32_t address);

} // namespace ptl
