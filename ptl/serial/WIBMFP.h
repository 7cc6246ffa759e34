// The IBM serial protocol port "IBMFP": a printer on a serial line with a framed, checksummed link and a
// hand-driven RTS line. After claim a wait thread keeps the link up by itself: it resets the link, waits
// for the printer's power-on-reset report, then asks for its status once a second and prints what it
// gets ("%d getReply", "@POR ...", "@STATUS ...") to standard output.
//
// The link protocol has no data frame, so nothing given to send could reach the printer: send refuses
// the bytes (1101) instead of accepting them into a queue that nothing ever takes from.
#pragma once

#include <atomic>

#include "port/WAsync.h"
#include "proto/IbmFrame.h"
#include "serial/WCom.h"

namespace ptl {

class WIBMFP : public AsyncPort<WCom> {
public:
    WIBMFP();
    ~WIBMFP() override;

    int getIFType() override;
    int getIOMode() override;
    const char *getIFName() override;
    int setPortNo(int no) override;
    int release(int timeoutMs) override;
    int send(const void *data, int len, int *written, int p4, int p5, int p6) override;
    bool isReady() override { return true; }
    // The link's own state says nothing about whether the printer takes data now.
    int askReady(int *) override { return kNotSupported; }

    enum LinkState { Reset = 0, AwaitPor = 1, Online = 2 };
    // Not reset by release or claim: a port claimed again goes on from where it was.
    int linkState() const { return state_.load(); }
    // One step of the link state machine, as the wait thread runs them.
    void step();

    // The parts of one step, for the thread and for tests.
    int linkBreak();
    int writeFrame(uint8_t type, uint8_t control);
    int readByte();
    int getReply();

    // Values of the last POR report and status reply.
    const uint8_t *porValues() const { return por_; }
    const uint8_t *statusValues() const { return status_; }

protected:
    int openEngineDevice(int timeoutMs) override;
    int setUpEngine() override;
    int startEngineThreads() override;
    void closeEngineDevice() override;
    void procWait() override;

private:
    int writeStatusRequest();
    void printReply(int r);
    bool escape(DWORD function);

    std::atomic<int> state_{AwaitPor};
    IbmReplyReader reply_;
    uint8_t ackBit_ = 0;
    uint8_t requestBits_ = kIbmRequestBits;
    uint8_t extraBits_ = 0;
    uint8_t por_[3] = {};
    uint8_t status_[3] = {};
};

// Pauses of the handshake and the link: around each RTS change and break, after a reset frame and
// between two status polls (the last two end early when the port stops).
constexpr DWORD kIbmLinePauseMs = 3;
constexpr DWORD kIbmLinkPauseMs = 1000;

} // namespace ptl
