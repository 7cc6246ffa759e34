// The port "VQLPT": the parallel-style device "\\.\VQLPTn" that the maker's printer-class driver creates,
// used as a parallel port, with the maker's force request. No device alias is made for it.
#pragma once

#include "serial/WLpt.h"

namespace ptl {

// The maker's force request: vendor device type 0x9C40, function 0x901, METHOD_BUFFERED, any access;
// a 4-byte input, 1 on or 0 off.
constexpr DWORD kVqlptForce = 0x9C402404;

class WVqlpt : public WLpt {
public:
    ~WVqlpt() override;

    int getIFType() override;
    const char *getIFName() override;
    int getIOMode() override;
    int claim(int timeoutMs) override;
    int release(int timeoutMs) override;
    int force(int on) override;

    // "\\.\VQLPTn" from the port number (1013 outside 1 to 32), opened with the extra flags (1014).
    int openDevice(DWORD flags);
    void closeDevice();
};

} // namespace ptl
