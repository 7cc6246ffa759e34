// The synchronous serial port "COM": opens COMn, applies the stored DCB and time-outs, and implements
// the serial settings, force, busy, readiness and purges that the threaded and event-driven serial
// ports reuse unchanged.
#pragma once

#include "serial/SerialRules.h"
#include "serial/WVcomm.h"

namespace ptl {

class WCom : public WVcomm {
public:
    WCom();
    ~WCom() override;

    int getIFType() override;
    int getIOMode() override;
    const char *getIFName() override;
    int claim(int timeoutMs) override;
    int release(int timeoutMs) override;
    bool isReady() override;
    // The handshake input of the configured flow control: -1 without a handshake, 1001 while not claimed,
    // 1103 when the line's state cannot be read.
    int askReady(int *ready) override;
    int force(int on) override;
    int setBusy(int busy) override;
    int clearSend() override;
    int clearRecv() override;
    int getCommState(DCB *dcb) override;
    int setCommState(const DCB *dcb) override;
    int getBaudRate(int *rate) override;
    int setBaudRate(int rate) override;
    int getByteSize(int *bits) override;
    int setByteSize(int bits) override;
    int getParity(int *parity) override;
    int setParity(int parity) override;
    int getStopBits(int *stop) override;
    int setStopBits(int stop) override;
    int getFlow(int *flow) override;
    int setFlow(int flow) override;

    // The DCB that claims apply (for tests and diagnostics).
    const DCB &storedDcb() const { return dcb_; }

protected:
    // SetCommState with the stored DCB, then SetCommTimeouts with the stored time-outs.
    bool startComm();
    // The synchronous claim's device steps: open "\\.\COMn" for blocking I/O and apply the stored settings
    // (releasing again when they do not take): 0, the open's code, or 10000.
    int openComm();
    // Drops DTR and RTS, as every serial release does before closing.
    void dropLines();
    // After the stored DCB changed: applies it when claimed; code on failure.
    int applyStored(int failureCode);
    // The stored DCB with the flow bits that force and busy hold on the device.
    DCB deviceDcb() const;

    int force_ = 0;
    int busy_ = 0;
    DCB dcb_{};
};

// The DCB of a new serial port: 9600 baud, 8 data bits, no parity, one stop bit, DTR and RTS on.
DCB initialDcb();
FlowBits flowBitsOf(const DCB &dcb);
void setFlowBits(DCB *dcb, const FlowBits &bits);

} // namespace ptl
