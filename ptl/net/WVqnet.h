// Printer network ports: print data over TCP to the printer's raw port (9100 unless the target names
// another), printer control over the UDP control channel to the same address.
#pragma once

#include "net/WKnpc.h"
#include "net/WNet.h"

namespace ptl {

constexpr int kRawPrintPort = 9100;
// Every control operation: one second per attempt, three attempts.
constexpr int kControlTimeoutMs = 1000;
constexpr int kControlTries = 3;
// force: how many times the state is asked for, and the pause after an answer that does not show it.
constexpr int kForceAttempts = 3;
constexpr DWORD kForcePauseMs = 1000;

class WVqnet : public WNet {
public:
    WVqnet();
    ~WVqnet() override;

    int getIFType() override;
    int getIOMode() override;
    const char *getIFName() override;
    int claim(int timeoutMs) override;
    int release(int timeoutMs) override;
    int reset() override;
    int force(int on) override;
    int netGetInfo(char *text) override;
    int netGetId(char *text) override;
    int netCheck(int a) override;
    // The printer's identification text over the control channel (netGetId); 1001 while not claimed.
    int deviceIdText(char *text, int size, int *length) override;

protected:
    // The claim line with the address; the address and port checks every variant shares.
    void logClaimAs(const char *className) override;
    int connectChecked() override;
    int beforeConnect() override;

    WKnpc control_;

private:
    int transact(const uint8_t *request, size_t len);
    int readText(size_t (*build)(uint8_t *), size_t replySize, size_t maxChars, char *text);
};

} // namespace ptl
