#include "serial/WCom.h"

#include "core/IfTypes.h"
#include "core/Log.h"
#include "os/Syscalls.h"

namespace ptl {

DCB initialDcb() {
    DCB d{};
    d.DCBlength = sizeof(DCB);
    d.BaudRate = CBR_9600;
    d.fBinary = 1;
    d.fParity = 1;
    d.fDtrControl = DTR_CONTROL_ENABLE;
    d.fRtsControl = RTS_CONTROL_ENABLE;
    d.ByteSize = 8;
    d.Parity = NOPARITY;
    d.StopBits = ONESTOPBIT;
    d.XonChar = 0x11;
    d.XoffChar = 0x13;
    return d;
}

FlowBits flowBitsOf(const DCB &d) {
    FlowBits b;
    b.outxCtsFlow = d.fOutxCtsFlow;
    b.outxDsrFlow = d.fOutxDsrFlow;
    b.dtrControl = d.fDtrControl;
    b.outX = d.fOutX;
    b.inX = d.fInX;
    b.rtsControl = d.fRtsControl;
    return b;
}

void setFlowBits(DCB *d, const FlowBits &b) {
    d->fOutxCtsFlow = b.outxCtsFlow;
    d->fOutxDsrFlow = b.outxDsrFlow;
    d->fDtrControl = b.dtrControl;
    d->fOutX = b.outX;
    d->fInX = b.inX;
    d->fRtsControl = b.rtsControl;
}

WCom::WCom() : dcb_(initialDcb()) {}

WCom::~WCom() {
    WCom::release(0);
}

int WCom::getIFType() {
    return kIfCom;
}
int WCom::getIOMode() {
    return 0;
}
const char *WCom::getIFName() {
    return "COM";
}

int WCom::claim(int) {
    debugLine("PTL: WCom::claim(%d)\n", portNo_);
    release(0);
    return openComm();
}

int WCom::openComm() {
    const int r = openDevice("COM", 0);
    if (r != kOk)
        return r;
    if (!startComm()) {
        release(0);
        return kSystemCallFailed;
    }
    return kOk;
}

int WCom::release(int timeoutMs) {
    if (!isClaimed())
        return kOk;
    debugLine("PTL: WCom::release(%d)\n", timeoutMs);
    const int r = waitSendEmpty(timeoutMs);
    dropLines();
    closeDevice("COM");
    return r;
}

bool WCom::startComm() {
    debugLine("PTL: startComm\n");
    // A new claim starts with the configured flow control in force.
    force_ = 0;
    busy_ = 0;
    if (!os::SetCommState(handle_, &dcb_))
        return false;
    return os::SetCommTimeouts(handle_, &timeouts_) != FALSE;
}

void WCom::dropLines() {
    os::EscapeCommFunction(handle_, CLRDTR);
    os::EscapeCommFunction(handle_, CLRRTS);
}

bool WCom::isReady() {
    int ready = 0;
    return WCom::askReady(&ready) == kOk && ready != 0;
}

int WCom::askReady(int *ready) {
    if (!isClaimed())
        return kInvalidHandle;
    // Without a handshake the line says nothing about the printer (isReady then answers a plain 0).
    const FlowBits flow = flowBitsOf(dcb_);
    if (flow.dtrControl != kLineHandshake && flow.rtsControl != kLineHandshake && !flow.outX)
        return kNotSupported;
    DWORD errors = 0;
    COMSTAT st{};
    if (!os::ClearCommError(handle_, &errors, &st))
        return kStateFailed;
    HoldBits hold;
    hold.ctsHold = st.fCtsHold;
    hold.dsrHold = st.fDsrHold;
    hold.xoffHold = st.fXoffHold;
    *ready = readyByFlow(flowBitsOf(dcb_), hold) ? 1 : 0;
    return kOk;
}

int WCom::force(int on) {
    if (on == force_)
        return kOk;
    DCB local{};
    local.DCBlength = sizeof local;
    if (!os::GetCommState(handle_, &local))
        return kStateFailed;
    if (on != 0) {
        local.fOutxCtsFlow = 0;
        local.fOutxDsrFlow = 0;
        local.fOutX = 0;
    } else {
        local.fOutxCtsFlow = dcb_.fOutxCtsFlow;
        local.fOutxDsrFlow = dcb_.fOutxDsrFlow;
        local.fOutX = dcb_.fOutX;
    }
    if (!os::SetCommState(handle_, &local))
        return kStateFailed;
    // Only once the device took it: a failed force can be asked for again.
    force_ = on;
    return kOk;
}

int WCom::setBusy(int busy) {
    DCB local{};
    local.DCBlength = sizeof local;
    if (!os::GetCommState(handle_, &local))
        return kStateFailed;
    if (dcb_.fDtrControl == DTR_CONTROL_HANDSHAKE)
        local.fDtrControl = busy ? DTR_CONTROL_DISABLE : DTR_CONTROL_HANDSHAKE;
    else if (dcb_.fRtsControl == RTS_CONTROL_HANDSHAKE)
        local.fRtsControl = busy ? RTS_CONTROL_DISABLE : RTS_CONTROL_HANDSHAKE;
    else
        return kSystemCallFailed; // no hardware input handshake configured
    if (!os::SetCommState(handle_, &local))
        return kBadCommState;
    busy_ = busy;
    return kOk;
}

int WCom::clearSend() {
    return os::PurgeComm(handle_, PURGE_TXCLEAR) ? kOk : kPurgeFailed;
}

int WCom::clearRecv() {
    return os::PurgeComm(handle_, PURGE_RXCLEAR) ? kOk : kPurgeFailed;
}

int WCom::getCommState(DCB *out) {
    if (out == nullptr)
        return kNullArgument;
    if (isClaimed()) {
        DCB device{};
        device.DCBlength = sizeof device;
        if (!os::GetCommState(handle_, &device))
            return kBadCommState;
        // While force or busy holds, the device's flow bits are temporary: keep the configured ones, or
        // a later force(0) or setBusy(0) would restore the temporary state.
        if (force_ != 0 || busy_ != 0)
            setFlowBits(&device, flowBitsOf(dcb_));
        dcb_ = device;
    }
    *out = dcb_;
    return kOk;
}

int WCom::setCommState(const DCB *in) {
    if (in == nullptr)
        return kNullArgument;
    dcb_ = *in;
    DCB copy = deviceDcb();
    return os::SetCommState(handle_, &copy) ? kOk : kBadCommState;
}

DCB WCom::deviceDcb() const {
    // While force or busy holds, the device keeps their temporary flow bits whatever else changes: the
    // caller was told that output flow control is off (or the input handshake dropped) until undone.
    DCB d = dcb_;
    if (force_ != 0) {
        d.fOutxCtsFlow = 0;
        d.fOutxDsrFlow = 0;
        d.fOutX = 0;
    }
    if (busy_ != 0) {
        if (dcb_.fDtrControl == DTR_CONTROL_HANDSHAKE)
            d.fDtrControl = DTR_CONTROL_DISABLE;
        else if (dcb_.fRtsControl == RTS_CONTROL_HANDSHAKE)
            d.fRtsControl = RTS_CONTROL_DISABLE;
    }
    return d;
}

int WCom::applyStored(int failureCode) {
    if (!isClaimed())
        return kOk;
    DCB d = deviceDcb();
    return os::SetCommState(handle_, &d) ? kOk : failureCode;
}

int WCom::getBaudRate(int *rate) {
    if (rate == nullptr)
        return kNullArgument;
    *rate = static_cast<int>(dcb_.BaudRate);
    return kOk;
}

int WCom::setBaudRate(int rate) {
    if (!isAcceptedBaudRate(rate))
        return kBadBaudRate;
    dcb_.BaudRate = static_cast<DWORD>(rate);
    return applyStored(kBadBaudRate);
}

int WCom::getByteSize(int *bits) {
    if (bits == nullptr)
        return kNullArgument;
    *bits = dcb_.ByteSize;
    return kOk;
}

int WCom::setByteSize(int bits) {
    if (!isAcceptedByteSize(bits))
        return kBadByteSize;
    dcb_.ByteSize = static_cast<BYTE>(bits);
    return applyStored(kBadByteSize);
}

int WCom::getParity(int *parity) {
    if (parity == nullptr)
        return kNullArgument;
    *parity = dcb_.Parity;
    return kOk;
}

int WCom::setParity(int parity) {
    if (!isAcceptedParity(parity))
        return kBadParity;
    dcb_.Parity = static_cast<BYTE>(parity);
    return applyStored(kBadParity);
}

int WCom::getStopBits(int *stop) {
    if (stop == nullptr)
        return kNullArgument;
    *stop = dcb_.StopBits;
    return kOk;
}

int WCom::setStopBits(int stop) {
    if (!isAcceptedStopBits(stop))
        return kBadStopBits;
    dcb_.StopBits = static_cast<BYTE>(stop);
    return applyStored(kBadStopBits);
}

int WCom::getFlow(int *flow) {
    if (flow == nullptr)
        return kNullArgument;
    *flow = flowCodeOf(flowBitsOf(dcb_));
    return kOk;
}

int WCom::setFlow(int flow) {
    FlowBits bits;
    if (!flowBitsFor(flow, &bits))
        return kBadFlow;
    setFlowBits(&dcb_, bits);
    return applyStored(kBadFlow);
}

} // namespace ptl
