// IBM's TI4 device (target "IBMTI4"): each send is one framed output report written from the caller's
// thread; a receive thread only counts the input reports that arrive. It uses the engine's events,
// overlapped I/O and receive thread, and has no queues and no send thread.
#pragma once

#include "port/WAsync.h"
#include "usb/WHid.h"

namespace ptl {

// The buffers behind the reports; a device whose report lengths do not fit them is refused at claim.
constexpr uint32_t kHidOutputReportMax = 1024;
constexpr uint32_t kHidFeatureArea = 258;
constexpr uint32_t kHidReadSlack = 5; // read length = input report length + this
constexpr uint32_t kHidInputScratch = 1024 + kHidReadSlack;
// Output report: id, length of (data + 4) low and high, 0x01 0x00 0x00 0x00, then the data.
constexpr int kTi4Header = 7;
constexpr int kTi4MaxData = 1016;
constexpr int kTi4ShortReportMax = 250; // report id 2 up to this many data bytes, 1 above

// Not an AsyncPort<WHid>: that sequence makes the queues at claim (and fails a claim with 1011 when it
// cannot), drains the send queue at release, and answers send, the counts and the purges from the queues.
// This port writes each report on the caller's thread, has no queues, answers the counts and purges as any
// port without them does (-1) and waits for nothing at release; on that sequence it would have to replace all
// of it again.
class WHidIbmTI4 : public WHid, public WAsync {
public:
    WHidIbmTI4();
    ~WHidIbmTI4() override;

    int getIFType() override;
    const char *getIFName() override;
    int getIOMode() override;
    int claim(int timeoutMs) override;
    int release(int timeoutMs) override;
    int send(const void *data, int len, int *written, int p4, int p5, int p6) override;
    int recv(void *buffer, int size, int *got, int p4) override;
    int getSendQueueType(int *kind) override;
    int setSendQueueType(int kind) override;
    int getRecvQueueType(int *kind) override;
    int setRecvQueueType(int kind) override;

protected:
    Selection selection() const override;
    void procRecv() override;

private:
    bool reportsFit() const;
};

} // namespace ptl
