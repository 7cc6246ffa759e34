// The threaded "VQLPT" port: the engine's plain loops on the printer-class device; the clears purge the
// driver's buffers before the queues.
#pragma once

#include "usb/DriverAsync.h"
#include "usb/WVqlpt.h"

namespace ptl {

class WVqlptA : public DriverAsync<WVqlpt> {
public:
    WVqlptA() : DriverAsync<WVqlpt>("WVqlptA") {}

protected:
    void purgeDeviceSend() override;
    void purgeDeviceRecv() override;
};

} // namespace ptl
