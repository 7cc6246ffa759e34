// The public functions that need no port and no operating system: result texts and the serial
// parameters' parse and name functions. Portable, so that callers' option scanners are tested natively
// against the same code.
#include "ptl/ptl.h"

#include "core/Results.h"
#include "core/SerialParams.h"

using namespace ptl;

extern "C" {

const char *PTLAPI PtlErrorText(int code) {
    return errorText(code);
}

int PTLAPI PtlParseBaudRate(const char *t) {
    return parseBaudRate(t);
}
int PTLAPI PtlParseByteSize(const char *t) {
    return parseByteSize(t);
}
int PTLAPI PtlParseParity(const char *t) {
    return parseParity(t);
}
int PTLAPI PtlParseStopBits(const char *t) {
    return parseStopBits(t);
}
int PTLAPI PtlParseFlow(const char *t) {
    return parseFlow(t);
}

const char *PTLAPI PtlBaudRateName(int rate) {
    return baudRateName(rate);
}
const char *PTLAPI PtlByteSizeName(int bits) {
    return byteSizeName(bits);
}
const char *PTLAPI PtlParityName(int parity) {
    return parityName(parity);
}
const char *PTLAPI PtlStopBitsName(int stop) {
    return stopBitsName(stop);
}
const char *PTLAPI PtlFlowName(int flow) {
    return flowName(flow);
}

} // extern "C"
