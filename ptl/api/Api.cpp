// The public functions: each logs its entry, forwards to one operation of the port named by the handle,
// logs its result and returns it.
#include "ptl/ptl.h"

#include "api/Factory.h"
#include "api/HandleTable.h"
#include "core/Log.h"
#include "core/Results.h"
#include "core/SerialParams.h"
#include "core/Startup.h"
#include "core/Target.h"
#include "extlib/Printers.h"
#include "net/Ipv4.h"
#include "port/WPort.h"

using namespace ptl;

namespace {

constexpr int kVersion = 0x20100610;

// Getter calls: "<name>" at entry and "<name> %d" with the result.
template <class Op> int getter(int h, const char *name, Op op) {
    logEntry(h, "%s", name);
    WPort *port = findPort(h);
    int r = port ? op(port) : kInvalidHandle;
    logResult(h, "%s %d", name, r);
    return r;
}

// Setter calls: "<name> n=%d" at entry.
template <class Op> int setter(int h, const char *name, int value, Op op) {
    logEntry(h, "%s n=%d", name, value);
    WPort *port = findPort(h);
    int r = port ? op(port) : kInvalidHandle;
    logResult(h, "%s %d", name, r);
    return r;
}

// Getters with one out-value: "<name>" at entry and "<name> %d <label>=%d" with the result and the value.
// A kind without the value answers -1 and gives what the port's default wrote (counts 0), else -1.
template <class Op> int valueGetter(int h, const char *name, const char *label, int *out, Op op) {
    logEntry(h, "%s", name);
    WPort *port = findPort(h);
    int value = -1;
    int r = out == nullptr ? kNullArgument : port ? op(port, &value) : kInvalidHandle;
    if (r == kOk || r == kNotSupported)
        *out = value;
    logResult(h, "%s %d %s=%d", name, r, label, r == kOk || r == kNotSupported ? value : -1);
    return r;
}

// Text getters: "<name> size=%d" at entry and "<name> %d '<text>'" with the result.
template <class Op> int textGetter(int h, const char *name, char *text, int size, Op op) {
    logEntry(h, "%s size=%d", name, size);
    WPort *port = findPort(h);
    int r = text == nullptr ? kNullArgument : port ? op(port) : kInvalidHandle;
    if (r != kOk && text != nullptr && size > 0)
        text[0] = '\0';
    logResult(h, "%s %d '%s'", name, r, r == kOk ? text : "");
    return r;
}

// Text setters: "<name> '<text>'" at entry.
template <class Op> int textSetter(int h, const char *name, const char *text, Op op) {
    logEntry(h, "%s '%s'", name, text ? text : "");
    WPort *port = findPort(h);
    int r = text == nullptr ? kNullArgument : port ? op(port) : kInvalidHandle;
    logResult(h, "%s %d", name, r);
    return r;
}

} // namespace

extern "C" {

int PTLAPI PtlVersion(void) {
    logEntry(0, "PtlVersion");
    logResult(0, "PtlVersion %08X", kVersion);
    return kVersion;
}

int PTLAPI PtlStartup(void *instance) {
    return startup(static_cast<HINSTANCE>(instance));
}
int PTLAPI PtlCleanup(void) {
    return cleanup();
}

int PTLAPI PtlOpenByName(const char *target, int mode) {
    logEntry(0, "PtlOpenByName name='%s'", target ? target : "");
    std::unique_ptr<WPort> port = openPort(parseTarget(target), target, mode);
    const int h = port != nullptr ? addPort(std::move(port)) : kNoPort;
    logResult(0, "PtlOpenByName %08X", static_cast<unsigned>(h));
    return h;
}

int PTLAPI PtlClose(int h) {
    logEntry(h, "PtlClose");
    int r = closePort(h) ? kOk : kInvalidHandle;
    logResult(h, "PtlClose %d", r);
    return r;
}

const char *PTLAPI PtlGetIFName(int h) {
    logEntry(h, "PtlGetIFName");
    WPort *port = findPort(h);
    const char *name = port ? port->getIFName() : "";
    logResult(h, "PtlGetIFName name='%s'", name);
    return name;
}

int PTLAPI PtlGetIFType(int h) {
    logEntry(h, "PtlGetIFType");
    WPort *port = findPort(h);
    int type = port ? port->getIFType() : kIfFile;
    logResult(h, "PtlGetIFType %08X", static_cast<unsigned>(type));
    return type;
}

int PTLAPI PtlGetPortNo(int h, int *no) {
    logEntry(h, "PtlGetPortNo");
    WPort *port = findPort(h);
    int r = port ? port->getPortNo(no) : kInvalidHandle;
    logResult(h, "PtlGetPortNo %d no=%d", r, no ? *no : -1);
    return r;
}

int PTLAPI PtlClaim(int h, int timeoutMs) {
    logEntry(h, "PtlClaim dwTimeout=%d", timeoutMs);
    WPort *port = findPort(h);
    int r = port ? port->claim(timeoutMs) : kInvalidHandle;
    logResult(h, "PtlClaim %d", r);
    return r;
}

int PTLAPI PtlRelease(int h, int timeoutMs) {
    logEntry(h, "PtlRelease dwTimeout=%d", timeoutMs);
    WPort *port = findPort(h);
    int r = port ? port->release(timeoutMs) : kInvalidHandle;
    logResult(h, "PtlRelease %d", r);
    return r;
}

int PTLAPI PtlDocStart(int h, int p1, int p2) {
    logEntry(h, "PtlDocStart p1=%08X p2=%08X", static_cast<unsigned>(p1), static_cast<unsigned>(p2));
    WPort *port = findPort(h);
    int r = port ? port->docStart(p1, p2) : kInvalidHandle;
    logResult(h, "PtlDocStart %d", r);
    return r;
}

int PTLAPI PtlDocEnd(int h) {
    return getter(h, "PtlDocEnd", [](WPort *p) { return p->docEnd(); });
}

int PTLAPI PtlPageStart(int h, int p1, int p2) {
    logEntry(h, "PtlPageStart p1=%08X p2=%08X", static_cast<unsigned>(p1), static_cast<unsigned>(p2));
    WPort *port = findPort(h);
    int r = port ? port->pageStart(p1, p2) : kInvalidHandle;
    logResult(h, "PtlPageStart %d", r);
    return r;
}

int PTLAPI PtlPageEnd(int h) {
    return getter(h, "PtlPageEnd", [](WPort *p) { return p->pageEnd(); });
}

// No call lines: the bytes actually taken are traced instead. An unknown handle leaves *written as the
// caller set it, so nothing is traced for it; nor is anything beyond the len bytes the caller gave.
int PTLAPI PtlSend(int h, const void *data, int len, int *written, int p4, int p5, int p6) {
    WPort *port = findPort(h);
    if (port == nullptr)
        return kInvalidHandle;
    int r = port->send(data, len, written, p4, p5, p6);
    if (written != nullptr && data != nullptr) {
        const int taken = *written < len ? *written : len;
        if (taken > 0)
            logData(h, data, static_cast<size_t>(taken));
    }
    return r;
}

int PTLAPI PtlForce(int h, int on) {
    logEntry(h, "PtlForce f=%d", on);
    WPort *port = findPort(h);
    int r = port ? port->force(on) : kInvalidHandle;
    logResult(h, "PtlForce %d", r);
    return r;
}

int PTLAPI PtlGetBaudRate(int h, int *v) {
    return getter(h, "PtlGetBaudRate", [v](WPort *p) { return p->getBaudRate(v); });
}
int PTLAPI PtlSetBaudRate(int h, int v) {
    return setter(h, "PtlSetBaudRate", v, [v](WPort *p) { return p->setBaudRate(v); });
}
int PTLAPI PtlGetByteSize(int h, int *v) {
    return getter(h, "PtlGetByteSize", [v](WPort *p) { return p->getByteSize(v); });
}
int PTLAPI PtlSetByteSize(int h, int v) {
    return setter(h, "PtlSetByteSize", v, [v](WPort *p) { return p->setByteSize(v); });
}
int PTLAPI PtlGetParity(int h, int *v) {
    return getter(h, "PtlGetParity", [v](WPort *p) { return p->getParity(v); });
}
int PTLAPI PtlSetParity(int h, int v) {
    return setter(h, "PtlSetParity", v, [v](WPort *p) { return p->setParity(v); });
}
int PTLAPI PtlGetStopBits(int h, int *v) {
    return getter(h, "PtlGetStopBits", [v](WPort *p) { return p->getStopBits(v); });
}
int PTLAPI PtlSetStopBits(int h, int v) {
    return setter(h, "PtlSetStopBits", v, [v](WPort *p) { return p->setStopBits(v); });
}
int PTLAPI PtlGetFlow(int h, int *v) {
    return getter(h, "PtlGetFlow", [v](WPort *p) { return p->getFlow(v); });
}
int PTLAPI PtlSetFlow(int h, int v) {
    return setter(h, "PtlSetFlow", v, [v](WPort *p) { return p->setFlow(v); });
}

int PTLAPI PtlCommParams(int h, int rate, int bits, int parity, int stop, int flow) {
    int(PTLAPI *const setters[])(int, int) = {PtlSetBaudRate, PtlSetByteSize, PtlSetParity, PtlSetStopBits,
                                              PtlSetFlow};
    const int values[] = {rate, bits, parity, stop, flow};
    for (int i = 0; i < 5; ++i) {
        if (values[i] == -1)
            continue;
        int r = setters[i](h, values[i]);
        if (r > 0)
            return r;
    }
    return kOk;
}

// No call lines: rawpush's listing asks for it before the library is started.
int PTLAPI PtlGetDefaultPrinter(char *name, unsigned *size) {
    if (name == nullptr || size == nullptr)
        return 0;
    return getDefaultPrinter(name, size) ? 1 : 0;
}

void PTLAPI PtlPrintSettings(FILE *out, int h) {
    if ((static_cast<uint32_t>(PtlGetIFType(h)) & kIfSerialBit) == 0)
        return;
    int no = -1;
    PtlGetPortNo(h, &no);
    fprintf(out, " Target = %s%d\n", PtlGetIFName(h), no);
    int v = -1;
    PtlGetBaudRate(h, &v);
    fprintf(out, "  Baudrate  = %s\n", baudRateName(v));
    v = -1;
    PtlGetByteSize(h, &v);
    fprintf(out, "  Data size = %s\n", byteSizeName(v));
    v = -1;
    PtlGetParity(h, &v);
    fprintf(out, "  Parity    = %s\n", parityName(v));
    v = -1;
    PtlGetStopBits(h, &v);
    fprintf(out, "  Stop bits = %s\n", stopBitsName(v));
    v = -1;
    PtlGetFlow(h, &v);
    fprintf(out, "  Flow      = %s\n", flowName(v));
}

// --- The printer's answers, status and identity ---------------------------------------------------------

int PTLAPI PtlRecv(int h, void *buffer, int size, int *got, int timeoutMs) {
    logEntry(h, "PtlRecv size=%d dwTimeout=%d", size, timeoutMs);
    WPort *port = findPort(h);
    int r = kInvalidHandle;
    int taken = 0;
    if (buffer == nullptr || got == nullptr)
        r = kNullArgument;
    else if (port != nullptr)
        r = port->recvWithin(buffer, size < 0 ? 0 : size, &taken, timeoutMs);
    if (got != nullptr)
        *got = r == kOk ? taken : 0;
    logResult(h, "PtlRecv %d got=%d", r, r == kOk ? taken : 0);
    return r;
}

int PTLAPI PtlIsReady(int h, int *ready) {
    return valueGetter(h, "PtlIsReady", "ready", ready, [](WPort *p, int *v) { return p->askReady(v); });
}

int PTLAPI PtlReset(int h) {
    return getter(h, "PtlReset", [](WPort *p) { return p->reset(); });
}

int PTLAPI PtlGetSendCount(int h, int *count) {
    return valueGetter(h, "PtlGetSendCount", "count", count,
                       [](WPort *p, int *v) { return p->getSendCount(v); });
}
int PTLAPI PtlGetRecvCount(int h, int *count) {
    return valueGetter(h, "PtlGetRecvCount", "count", count,
                       [](WPort *p, int *v) { return p->getRecvCount(v); });
}
int PTLAPI PtlClearSend(int h) {
    return getter(h, "PtlClearSend", [](WPort *p) { return p->clearSend(); });
}
int PTLAPI PtlClearRecv(int h) {
    return getter(h, "PtlClearRecv", [](WPort *p) { return p->clearRecv(); });
}

int PTLAPI PtlGetIOMode(int h, int *mode) {
    return valueGetter(h, "PtlGetIOMode", "mode", mode, [](WPort *p, int *v) {
        *v = p->getIOMode();
        return kOk;
    });
}

int PTLAPI PtlGetName(int h, char *name, int size) {
    return textGetter(h, "PtlGetName", name, size, [name, size](WPort *p) {
        // The longest name a port keeps is a path of MAX_PATH characters.
        char whole[1024] = "";
        const int r = p->getName(whole);
        return r == kOk ? copyWhole(whole, name, size) : r;
    });
}
int PTLAPI PtlSetName(int h, const char *name) {
    return textSetter(h, "PtlSetName", name, [name](WPort *p) { return p->setName(name); });
}

int PTLAPI PtlSetPortNo(int h, int no) {
    return setter(h, "PtlSetPortNo", no, [no](WPort *p) { return p->setPortNo(no); });
}

int PTLAPI PtlGetAddress(int h, char *text, int size) {
    return textGetter(h, "PtlGetAddress", text, size, [text, size](WPort *p) {
        uint32_t address = 0;
        const int r = p->getAddress(&address);
        char dotted[16];
        return r == kOk ? copyWhole(net::formatIpv4(address, dotted, sizeof dotted), text, size) : r;
    });
}
int PTLAPI PtlSetAddress(int h, const char *address) {
    return textSetter(h, "PtlSetAddress", address, [address](WPort *p) {
        uint32_t value = 0;
        if (!readIpv4(address, &value))
            return kInvalidAddress;
        return p->setAddress(value);
    });
}

int PTLAPI PtlGetSubType(int h, int *subType) {
    return valueGetter(h, "PtlGetSubType", "subType", subType,
                       [](WPort *p, int *v) { return p->getSubType(v); });
}
int PTLAPI PtlSetSubType(int h, int subType) {
    return setter(h, "PtlSetSubType", subType, [subType](WPort *p) { return p->setSubType(subType); });
}

int PTLAPI PtlGetDeviceId(int h, char *buffer, int size, int *length) {
    logEntry(h, "PtlGetDeviceId size=%d", size);
    WPort *port = findPort(h);
    int n = 0;
    int r = buffer == nullptr || length == nullptr ? kNullArgument
            : port != nullptr                      ? port->deviceIdText(buffer, size, &n)
                                                   : kInvalidHandle;
    if (r != kOk && buffer != nullptr && size > 0)
        buffer[0] = '\0';
    // A text that did not fit still tells its length: the caller learns the room it needs.
    if (length != nullptr)
        *length = r == kOk || r == kReportTooLong ? n : 0;
    logResult(h, "PtlGetDeviceId %d length=%d", r, length != nullptr ? *length : 0);
    return r;
}

int PTLAPI PtlGetDeviceState(int h, unsigned *state) {
    logEntry(h, "PtlGetDeviceState");
    WPort *port = findPort(h);
    unsigned value = 0;
    int r = state == nullptr ? kNullArgument : port != nullptr ? port->deviceState(&value) : kInvalidHandle;
    if (r == kOk)
        *state = value;
    logResult(h, "PtlGetDeviceState %d state=%08X", r, r == kOk ? value : 0u);
    return r;
}

} // extern "C"
