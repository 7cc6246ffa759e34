// The threaded status-monitor local port: the engine's send and receive threads, whose overlapped writes
// and reads go through the library instead of WriteFile and ReadFile.
#pragma once

#include "monitor/WTulip.h"
#include "port/WAsync.h"

namespace ptl {

class WTulipA : public AsyncPort<WTulip> {
public:
    WTulipA();
    ~WTulipA() override;

    int getIOMode() override;

protected:
    int openEngineDevice(int timeoutMs) override;
    void closeEngineDevice() override;
    bool writeBlock(const uint8_t *data, uint32_t len, uint32_t *done) override;
    bool readBlock(uint8_t *buf, uint32_t len, uint32_t *done) override;
};

} // namespace ptl
