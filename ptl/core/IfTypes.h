// Interface type codes: what a port reports as its kind and what the target parser and the factory map
// names to.
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

} // namespace ptl
