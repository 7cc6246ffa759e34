#include "port/WPort.h"

#include <cstring>

#include "os/Syscalls.h"

namespace ptl {

int WPort::getName(char *out) {
    if (out != nullptr)
        out[0] = '\0';
    return kNotSupported;
}

int WPort::setName(const char *) {
    return kNotSupported;
}

int WPort::getPortNo(int *no) {
    if (no != nullptr)
        *no = -1;
    return kNotSupported;
}

int WPort::setPortNo(int) {
    return kNotSupported;
}

int WPort::getSubType(int *v) {
    if (v != nullptr)
        *v = -1;
    return kNotSupported;
}

int WPort::setSubType(int) {
    return kNotSupported;
}

int WPort::release(int) {
    return 0;
}

int WPort::docStart(int, int) {
    return kNotSupported;
}

int WPort::docEnd() {
    return kNotSupported;
}

int WPort::pageStart(int, int) {
    return kNotSupported;
}

int WPort::pageEnd() {
    return kNotSupported;
}

int WPort::reset() {
    return kNotSupported;
}

int WPort::force(int) {
    return kNotSupported;
}

int WPort::setBusy(int) {
    return kNotSupported;
}

int WPort::getSendCount(int *n) {
    if (n == nullptr)
        return kNullArgument;
    *n = 0;
    return kNotSupported;
}

int WPort::getRecvCount(int *n) {
    if (n == nullptr)
        return kNullArgument;
    *n = 0;
    return kNotSupported;
}

int WPort::clearSend() {
    return kNotSupported;
}

int WPort::clearRecv() {
    return kNotSupported;
}

int WPort::reserved28(int *out) {
    if (out != nullptr)
        *out = 0;
    return kNotSupported;
}

int WPort::reserved29() {
    return kNotSupported;
}

int WPort::getSendQueueType(int *) {
    return kNotSupported;
}

int WPort::setSendQueueType(int) {
    return kNotSupported;
}

int WPort::getRecvQueueType(int *) {
    return kNotSupported;
}

int WPort::setRecvQueueType(int) {
    return kNotSupported;
}

int WPort::getSendQueueSize() {
    return 0;
}

int WPort::getRecvQueueSize() {
    return 0;
}

int WPort::getSendBlockSize() {
    return 0;
}

int WPort::getRecvBlockSize() {
    return 0;
}

bool WPort::setSendQueueSize(int) {
    return false;
}

bool WPort::setRecvQueueSize(int) {
    return false;
}

bool WPort::setSendBlockSize(int) {
    return false;
}

bool WPort::setRecvBlockSize(int) {
    return false;
}

int WPort::getCommTimeouts(COMMTIMEOUTS *) {
    return kNotSupported;
}

int WPort::setCommTimeouts(const COMMTIMEOUTS *) {
    return kNotSupported;
}

int WPort::getModemStatus(unsigned *) {
    return kNotSupported;
}

int WPort::escapeFunction(int) {
    return kNotSupported;
}

int WPort::getCommState(DCB *) {
    return kNotSupported;
}

int WPort::setCommState(const DCB *) {
    return kNotSupported;
}

int WPort::getBaudRate(int *) {
    return kNotSupported;
}

int WPort::setBaudRate(int) {
    return kNotSupported;
}

int WPort::getByteSize(int *) {
    return kNotSupported;
}

int WPort::setByteSize(int) {
    return kNotSupported;
}

int WPort::getParity(int *) {
    return kNotSupported;
}

int WPort::setParity(int) {
    return kNotSupported;
}

int WPort::getStopBits(int *) {
    return kNotSupported;
}

int WPort::setStopBits(int) {
    return kNotSupported;
}

int WPort::getFlow(int *) {
    return kNotSupported;
}

int WPort::setFlow(int) {
    return kNotSupported;
}

int WPort::getDeviceIdSize(int *) {
    return kNotSupported;
}

int WPort::getDeviceId(char *, int) {
    return kNotSupported;
}

int WPort::reserved61(int, int) {
    return kNotSupported;
}

int WPort::queryParInfo(unsigned char *) {
    return kNotSupported;
}

int WPort::setParInfo(unsigned char) {
    return kNotSupported;
}

int WPort::setVendorId(unsigned short) {
    return kNotSupported;
}

int WPort::setProductId(unsigned short) {
    return kNotSupported;
}

int WPort::getLptStatus(unsigned char *) {
    return kNotSupported;
}

int WPort::get1284Id(char *, int) {
    return kNotSupported;
}

int WPort::vendorSetCommand() {
    return kNotSupported;
}

int WPort::vendorGetCommand() {
    return kNotSupported;
}

int WPort::softReset() {
    return kNotSupported;
}

int WPort::queryDriver(unsigned *) {
    return kNotSupported;
}

int WPort::queryDeviceWord(unsigned short *) {
    return kNotSupported;
}

int WPort::queryDeviceState(unsigned short *) {
    return kNotSupported;
}

int WPort::setDeviceState(unsigned short) {
    return kNotSupported;
}

int WPort::reserved75(int) {
    return kNotSupported;
}

int WPort::setAddress(unsigned long) {
    return kNotSupported;
}

int WPort::netGetInfo(char *) {
    return kNotSupported;
}

int WPort::netGetId(char *) {
    return kNotSupported;
}

int WPort::netCheck(int) {
    return kNotSupported;
}

int WPort::startDocPrinter(int, const void *) {
    return kNotSupported;
}

int WPort::startPagePrinter() {
    return kNotSupported;
}

int WPort::endPagePrinter() {
    return kNotSupported;
}

int WPort::endDocPrinter() {
    return kNotSupported;
}

int WPort::getJob(int, int, void *, int, unsigned *) {
    return kNotSupported;
}

int WPort::setJob(int, int, const void *, int) {
    return kNotSupported;
}

int WPort::getPrinter(int, void *, int, unsigned *) {
    return kNotSupported;
}

int WPort::setPrinter(int, const void *, int) {
    return kNotSupported;
}

int WPort::reserved88(int) {
    return kNotSupported;
}

int WPort::reserved89(int) {
    return kNotSupported;
}

int WPort::reserved90() {
    return kNotSupported;
}

int WPort::reserved91() {
    return kNotSupported;
}

int WPort::reserved92(int) {
    return kNotSupported;
}

int WPort::reserved93(int, int) {
    return kNotSupported;
}

int WPort::reserved94() {
    return kNotSupported;
}

int WPort::reserved95() {
    return kNotSupported;
}

int WPort::deviceStatus(int, void *, int) {
    return kNotSupported;
}

int WPort::getEnvVars(void *, int) {
    return kNotSupported;
}

int WPort::getEnvVarsEx(int, int) {
    return kNotSupported;
}

int WPort::getCodePage(int) {
    return kNotSupported;
}

int WPort::setCodePage(int, int) {
    return kNotSupported;
}

int WPort::reserved101(int, int, int) {
    return kNotSupported;
}

int WPort::reserved102(int, int) {
    return kNotSupported;
}

int WPort::reserved103(int, int) {
    return kNotSupported;
}

int WPort::reserved104() {
    return kNotSupported;
}

int WPort::lock(int) {
    return kNotSupported;
}

int WPort::unlock() {
    return kNotSupported;
}

int WPort::ioctl(int, void *, int, int, int, int) {
    return kNotSupported;
}

int WPort::registerCallback(int, void *, void *) {
    return kNotSupported;
}

int WPort::unregisterCallback(int, void *, void *) {
    return kNotSupported;
}

int WPort::recvWithin(void *, int, int *got, int) {
    if (got != nullptr)
        *got = 0;
    return kNotSupported;
}

std::optional<int> WPort::refuseRecvWithin(int *got, int size) {
    if (got == nullptr)
        return kNullArgument;
    *got = 0;
    if (!isClaimed())
        return kInvalidHandle;
    if (size <= 0)
        return kOk;
    return std::nullopt;
}

int WPort::askReady(int *) {
    return kNotSupported;
}

int WPort::getAddress(uint32_t *) {
    return kNotSupported;
}

int WPort::deviceIdText(char *, int, int *) {
    return kNotSupported;
}

int WPort::deviceState(unsigned *) {
    return kNotSupported;
}

int copyWhole(const char *text, char *out, int size, int *length) {
    const size_t n = strlen(text);
    if (length != nullptr)
        *length = static_cast<int>(n);
    if (size <= 0 || n >= static_cast<size_t>(size)) {
        if (size > 0)
            out[0] = '\0';
        return kReportTooLong;
    }
    memcpy(out, text, n + 1);
    return kOk;
}

// Waits until the send queue is empty or has not shrunk for longer than timeoutMs. The limit is on the
// time without progress, so a queue that keeps draining is waited for as long as it takes.
int WPort::waitSendEmpty(int timeoutMs) {
    if (timeoutMs == 0)
        return 0;
    const unsigned limit = static_cast<unsigned>(timeoutMs);
    unsigned stalled = 0;
    int remembered = 0;
    // Asked for before the first look at the count, so that a queue emptying after it is always signalled.
    const HANDLE signal = sendEmptySignal();
    for (;;) {
        int n = 0;
        getSendCount(&n);
        if (n == 0)
            return 0;
        if (const int failure = sendFailure(); failure > 0)
            return failure;
        // A wait the queue's signal cut short does not count as a period without progress.
        bool fullPeriod = true;
        if (signal == nullptr)
            os::Sleep(kSendPollMs);
        else
            fullPeriod = os::WaitForSingleObject(signal, kSendPollMs) != WAIT_OBJECT_0;
        if (n == remembered) {
            if (!fullPeriod)
                continue;
            stalled += kSendPollMs;
            if (stalled > limit)
                return kTimeout;
        } else {
            stalled = 0;
            remembered = n;
        }
    }
}

} // namespace ptl
