// The simulated USB world of these tests: one device of the maker's driver class, one of the printing
// class and the "VQLPT1" device, each behind its driver path.
#pragma once

#include <string>
#include <vector>

#include "os/Syscalls.h"
#include "sim/SimDriver.h"
#include "sim/SimSetupDi.h"
#include "support/Seam.h"
#include "support/TestUtil.h"
#include "usb/UsbIds.h"

namespace ptl::test {

inline const std::string kVqPath =
    "\\\\?\\usb#vid_4b56&pid_0195#5&1a2b#{5c3e7a91-2f0b-4d6e-8a17-b94c06d3e2f5}";
inline const std::string kPrnPath =
    "\\\\?\\usb#vid_4b56&pid_0202#7&3c4d#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";

struct UsbWorld {
    Seam seam;
    SimSetupDi setup{seam};
    SimDriver vq{seam, kVqPath + "\\VQ"}, xd{seam, kVqPath + "\\XD"}, prn{seam, kPrnPath},
        lpt{seam, "\\\\.\\VQLPT1"};
    const int baseline = os::openTotal();
    UsbWorld() { setup.interfaces = {{kMakerUsbDriverGuid, kVqPath}, {kUsbPrintClassGuid, kPrnPath}}; }
    // The device a port of this interface type opens (0: XDUSB).
    SimDriver &device(int type) { return type == 0x14 ? vq : type == 0x1c ? lpt : type == 0 ? xd : prn; }
};

} // namespace ptl::test
