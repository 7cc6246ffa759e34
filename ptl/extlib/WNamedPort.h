// The base of the ports whose target is a printer or library name: the spooler port and the vendor-library
// ports. It keeps the handle, the printer number and the name, and resolves a number into a name.
#pragma once

#include "extlib/Printers.h"
#include "port/WPort.h"

namespace ptl {

class WNamedPort : public WPort {
public:
    int getName(char *out) override;
    // A name that does not fit is refused rather than cut, and the next claim fails: a shortened name
    // could open another printer.
    int setName(const char *name) override;
    int getPortNo(int *no) override;
    // Clears the name, so that the next claim resolves the number again.
    int setPortNo(int no) override;
    DeviceHandle getHandle() override;
    bool isClaimed() override;
    bool isReady() override;

protected:
    // Fills an empty name from the number: 0 the default printer, n the n-th local printer. The name stays
    // empty when there is no such printer; kInvalidPortNo for a negative number, kCantClaim for a refused
    // name.
    int resolveName();

    DeviceHandle handle_ = kNoHandle;
    int portNo_ = 0;
    char name_[kPrinterNameSize] = {};
    bool nameRefused_ = false;
};

} // namespace ptl
