// IBM's M4 device (target "IBMM4"): claim and release only; it neither sends nor receives.
#pragma once

#include "usb/WHid.h"

namespace ptl {

class WHidIbmM4 : public WHid {
public:
    int getIFType() override;
    const char *getIFName() override;
    int getIOMode() override;
    int claim(int timeoutMs) override;
    int send(const void *data, int len, int *written, int p4, int p5, int p6) override;
    int recv(void *buffer, int size, int *got, int p4) override;

protected:
    Selection selection() const override;
};

} // namespace ptl
