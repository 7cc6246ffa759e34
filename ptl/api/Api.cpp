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

int PTLAPI PtlGetBaudRate(int h, int *rate) {
    return getter(h, "PtlGetBaudRate", [rate](WPort *p) { return p->getBaudRate(rate); });
}
int PTLAPI PtlSetBaudRate(int h, int rate) {
    return setter(h, "PtlSetBaudRate", rate, [rate](WPort *p) { return p->setBaudRate(rate); });
}
int PTLAPI PtlGetByteSize(int h, int *bits) {
    return getter(h, "PtlGetByteSize", [bits](WPort *p) { return p->getByteSize(bits); });
}
int PTLAPI PtlSetByteSize(int h, int bits) {
    return setter(h, "PtlSetByteSize", bits, [bits](WPort *p) { return p->setByteSize(bits); });
}
int PTLAPI PtlGetParity(int h, int *parity) {
    return getter(h, "PtlGetParity", [parity](WPort *p) { return p->getParity(parity); });
}
int PTLAPI PtlSetParity(int h, int parity) {
    return setter(h, "PtlSetParity", parity, [parity](WPort *p) { return p->setParity(parity); });
}
int PTLAPI PtlGetStopBits(int h, int *stop) {
    return getter(h, "PtlGetStopBits", [stop](WPort *p) { return p->getStopBits(stop); });
}
int PTLAPI PtlSetStopBits(int h, int stop) {
    return setter(h, "PtlSetStopBits", stop, [stop](WPort *p) { return p->setStopBits(stop); });
}
int PTLAPI PtlGetFlow(int h, int *flow) {
    return getter(h, "PtlGetFlow", [flow](WPort *p) { return p->getFlow(flow); });
}
int PTLAPI PtlSetFlow(int h, int flow) {
    return setter(h, "PtlSetFlow", flow, [flow](WPort *p) { return p->setFlow(flow); });
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

} // extern "C"
