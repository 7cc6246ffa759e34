// Target texts: the interface table and the parser that turns "COM3", "VQNET@10.0.0.5" or a file path
// into an interface type code and the values that configure the port.
#pragma once

#include <cstdint>

namespace ptl {

// Interface type codes. Bit 31 marks a network interface (its target carries "@" and an IPv4 address),
// bit 30 an interface with serial parameters.
constexpr uint32_t kIfNetworkBit = 0x80000000u;
constexpr uint32_t kIfSerialBit = 0x40000000u;

constexpr int kIfRefused = 0; // a target text that names no port and is no file path either
constexpr int kIfConsole = 1;
constexpr int kIfDump = 2;
constexpr int kIfFile = 3;
constexpr int kIfLpt = 0x12;
constexpr int kIfVqusb = 0x14;
constexpr int kIfVqprn = 0x15;
constexpr int kIfUsbprn = 0x16;
constexpr int kIfLibusb = 0x1a;
constexpr int kIfTulip = 0x1b;
constexpr int kIfVqlpt = 0x1c;
constexpr int kIfIbmTI4 = 0x22;
constexpr int kIfIbmM4 = 0x23;
constexpr int kIfAld = 0x24;
constexpr int kIfEbapi = 0x32;
constexpr int kIfSpooler = 0x33;
constexpr int kIfIbmDll = 0x35;
constexpr int kIfKvbslm = 0x36;
constexpr int kIfKvbsdh = 0x37;
constexpr int kIfXfs = 0x38;
constexpr int kIfHprdh = 0x39;
constexpr int kIfCom = 0x40000011;
constexpr int kIfIbmFp = 0x40000034;
constexpr int kIfAea = 0x4000003b;
constexpr int kIfNet = static_cast<int>(0x80000017u);
constexpr int kIfVqnet = static_cast<int>(0x80000018u);
constexpr int kIfOlmprt = static_cast<int>(0x80000019u);

struct InterfaceRow {
    const char *name;
    int type;
    int defaultPort; // -1: none
    int subType;     // -1: none
};

// The 34 rows, scanned from top to bottom.
extern const InterfaceRow kInterfaceTable[34];

// Parses a target text. Outputs: port number or -1, sub-type or -1, IPv4 address in network byte order
// or 0. Returns the type code, kIfFile for a text that names no interface, kIfRefused for a mistyped
// network target (below). A null text is taken as an empty one.
int parseTarget(const char *text, int *portNo, int *subType, uint32_t *address);

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
