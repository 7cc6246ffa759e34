// The threaded "VQPRN"/"XDPRN" port: the engine's plain loops on the printing-class device.
#pragma once

#include "usb/DriverAsync.h"
#include "usb/WVqprn.h"

namespace ptl {

class WVqprnA : public DriverAsync<WVqprn> {
public:
    WVqprnA() : DriverAsync<WVqprn>("WVqprnA") {}
};

} // namespace ptl
