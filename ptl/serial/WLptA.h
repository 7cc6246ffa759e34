// The threaded parallel port: WLpt with a send thread and a receive thread of the engine.
#pragma once

#include "serial/CommAsync.h"
#include "serial/WLpt.h"

namespace ptl {

class WLptA : public CommAsync<WLpt> {
public:
    WLptA();
    ~WLptA() override;

    int getIOMode() override;
};

} // namespace ptl
