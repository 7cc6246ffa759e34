// The AEA port ("ULTRA", "RESA", "SITA"): a printer on a serial line that takes its data in framed
// blocks of at most 512 bytes with control characters escaped; the framing is the port's sub-type
// (0 ULTRA, 1 RESA, 2 SITA). Synchronous: every call runs on the caller's thread.
#pragma once

#include "proto/AeaFrame.h"
#include "serial/WCom.h"

namespace ptl {

class WAea : public WCom {
public:
    WAea();
    ~WAea() override;

    int getIFType() override;
    int getIOMode() override;
    const char *getIFName() override;
    int getSubType(int *v) override;
    int setSubType(int v) override;
    int setPortNo(int no) override;
    int claim(int timeoutMs) override;
    int release(int timeoutMs) override;
    // Writes the data as frames, up to three attempts per frame: 0 with everything written, or 1101 with
    // *written = the data of the frames written before the one that failed. 1101 for an unknown framing.
    int send(const void *data, int len, int *written, int p4, int p5, int p6) override;
    // ULTRA: the payload of one received frame; RESA and SITA: the bytes as read.
    int recv(void *buffer, int size, int *got, int p4) override;

private:
    bool writeFrame(size_t len);

    int framing_ = kAeaUltra;
    uint32_t blocks_ = 0; // frames written since the claim (RESA, SITA): picks the header
    uint8_t frame_[kAeaMaxFrame] = {};
    uint8_t received_[kAeaReceiveSize] = {};
};

constexpr int kAeaWriteAttempts = 3;
constexpr DWORD kAeaRetryPauseMs = 500;

} // namespace ptl
