#include "net/WVqnet.h"

#include "core/Log.h"
#include "core/Results.h"
#include "core/Target.h"
#include "net/Ipv4.h"
#include "net/KnpcFrame.h"
#include "os/Syscalls.h"

namespace ptl {

WVqnet::WVqnet() {
    setPortNo(kRawPrintPort);
}

WVqnet::~WVqnet() {
    WVqnet::release(0);
}

int WVqnet::getIFType() {
    return kIfVqnet;
}
int WVqnet::getIOMode() {
    return 0;
}
const char *WVqnet::getIFName() {
    return "VQNET";
}

int WVqnet::claim(int) {
    logClaimAs("WVqnet");
    release(0);
    return connectChecked();
}

void WVqnet::logClaimAs(const char *className) {
    char dotted[16];
    debugLine("PTL: %s::claim(%s:%d)\n", className, net::formatIpv4(address(), dotted, sizeof dotted),
              port());
}

int WVqnet::connectChecked() {
    if (!isAcceptedAddress(address()))
        return kInvalidAddress;
    if (port() == 0)
        return kInvalidPortNo;
    return connectSequence();
}

int WVqnet::beforeConnect() {
    control_.setAddress(address());
    return control_.claim(0);
}

int WVqnet::release(int timeoutMs) {
    if (!sock_)
        return kOk;
    debugLine("PTL: WVqnet::release(%d)\n", timeoutMs);
    if (timeoutMs != 0)
        gracefulClose();
    control_.release(timeoutMs);
    closeSocket();
    return kOk;
}

int WVqnet::transact(const uint8_t *request, size_t len) {
    return control_.transact(request, static_cast<int>(len), kControlTimeoutMs, kControlTries);
}

int WVqnet::reset() {
    uint8_t req[knpc::kControlRequestSize];
    int r = transact(req, knpc::buildReset(req));
    if (r != kOk)
        return r;
    return knpc::replyResult(control_.reply(), static_cast<size_t>(control_.replyLength())) == 0 ? kOk
                                                                                                 : kBadReply;
}

int WVqnet::force(int on) {
    uint8_t req[knpc::kControlRequestSize];
    const size_t len = knpc::buildForce(on != 0, req);
    const int want = on != 0 ? 1 : 0;
    for (int attempt = 0; attempt < kForceAttempts; ++attempt) {
        int r = transact(req, len);
        if (r != kOk)
            return r;
        const size_t n = static_cast<size_t>(control_.replyLength());
        if (knpc::replyResult(control_.reply(), n) != 0)
            return kBadReply;
        if (n == knpc::kForceReplySize && knpc::replyDataByte(control_.reply(), n) == want)
            return kOk;
        os::Sleep(kForcePauseMs);
    }
    return kTimeout;
}

int WVqnet::readText(size_t (*build)(uint8_t *), size_t replySize, size_t maxChars, char *text) {
    if (text == nullptr)
        return kNullArgument;
    uint8_t req[knpc::kControlRequestSize];
    int r = transact(req, build(req));
    if (r != kOk)
        return r;
    const size_t n = static_cast<size_t>(control_.replyLength());
    if (knpc::replyResult(control_.reply(), n) != 0)
        return kBadReply;
    return knpc::copyReplyText(control_.reply(), n, replySize, maxChars, text) ? kOk : kBadReply;
}

int WVqnet::netGetInfo(char *text) {
    return readText(knpc::buildInfo, knpc::kInfoReplySize, knpc::kInfoTextMax, text);
}

int WVqnet::netGetId(char *text) {
    return readText(knpc::buildId, knpc::kIdReplySize, knpc::kIdTextMax, text);
}

int WVqnet::deviceIdText(char *text, int size, int *length) {
    if (!isClaimed())
        return kInvalidHandle;
    char id[knpc::kIdTextMax + 1] = {};
    const int r = netGetId(id);
    return r == kOk ? copyWhole(id, text, size, length) : r;
}

int WVqnet::netCheck(int) {
    uint8_t req[knpc::kControlRequestSize];
    int r = transact(req, knpc::buildCheck(req));
    if (r != kOk)
        return r;
    const size_t n = static_cast<size_t>(control_.replyLength());
    if (knpc::replyResult(control_.reply(), n) != 0 || n != knpc::kCheckReplySize)
        return kBadReply;
    return kOk;
}

} // namespace ptl
