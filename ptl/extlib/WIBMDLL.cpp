#include "extlib/WIBMDLL.h"

#include <algorithm>
#include <cstring>

#include "core/Console.h"
#include "core/IfTypes.h"
#include "core/Log.h"
#include "core/Results.h"
#include "extlib/VendorLibraries.h"

namespace ptl {

namespace {

// A library failure as a result code.
int relay(uint16_t r) {
    return r != 0 ? kSystemCallFailed + r : kOk;
}

uint16_t word(const uint8_t *p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

const char *const kExceptionBits[16] = {" Bit00 Stop key pressed or cover open exception\n",
                                        " Bit01 \n",
                                        " Bit02 \n",
                                        " Bit03 Document registered\n",
                                        " Bit04 Start 2 key pressed\n",
                                        " Bit05 Start 1 key pressed\n",
                                        " Bit06 Multi-user operator panel enter or function key pressed\n",
                                        " Bit07 POR complete exception\n",
                                        " Bit08 Multi-user operator panel function key 3 pressed\n",
                                        " Bit09 End of document exception\n",
                                        " Bit10 \n",
                                        " Bit11 Multi-user operator panel function key 1 pressed\n",
                                        " Bit12 Multi-user operator panel installed\n",
                                        " Bit13 \n",
                                        " Bit14 Document ejected\n",
                                        " Bit15 Multi-user operator panel function\n"};

const char *const kErrorBits[8] = {" Bit00 REMS feature not installed\n",
                                   " Bit01 \n",
                                   " Bit02 \n",
                                   " Bit03 Journal feature not available\n",
                                   " Bit04 Hardware error\n",
                                   " Bit05 Patch data error\n",
                                   " Bit06 Message overflow error\n",
                                   " Bit07 Multi-user operator panel error\n"};

void printBits(uint16_t value, int top, const char *const *texts) {
    for (int bit = top; bit >= 0; --bit)
        if (value & (1u << bit))
            consolePrintf("%s", texts[bit]);
}

} // namespace

void printIbmException(const uint8_t record[6]) {
    const uint16_t exception = word(record), error = word(record + 2), count = word(record + 4);
    consolePrintf("Exception %04X\n", exception);
    printBits(exception, 15, kExceptionBits);
    consolePrintf("Error %04X\n", error);
    printBits(error, 7, kErrorBits);
    consolePrintf("Count = %d\n", count);
    consolePrintf("\n");
}

WIBMDLL::~WIBMDLL() {
    WIBMDLL::release(0);
}

int WIBMDLL::getIFType() {
    return kIfIbmDll;
}
int WIBMDLL::getIOMode() {
    return 0;
}
const char *WIBMDLL::getIFName() {
    return "IBMDLL";
}

int WIBMDLL::getPortNo(int *no) {
    return readInto(portNo_, no);
}

int WIBMDLL::setPortNo(int no) {
    portNo_ = no;
    return kOk;
}

int WIBMDLL::openDevice(int timeoutMs) {
    if (portNo_ < 1)
        return kInvalidPortNo;
    uint32_t device = 0;
    if (keep(vendor::prtOpenDevice(&device, static_cast<uint16_t>(portNo_), timeoutMs)) != 0)
        return kCantClaim;
    device_ = device;
    return kOk;
}

void WIBMDLL::closeDevice() {
    keep(vendor::prtEndTrans(device_));
    keep(vendor::prtCloseDevice(device_));
    device_ = 0;
}

int WIBMDLL::claim(int timeoutMs) {
    debugLine("PTL: WIBMDLL::claim(%d)\n", portNo_);
    release(0);
    return openDevice(timeoutMs);
}

int WIBMDLL::release(int timeoutMs) {
    if (!isClaimed())
        return kOk;
    debugLine("PTL: WIBMDLL::release(%d)\n", timeoutMs);
    closeDevice();
    return kOk;
}

int WIBMDLL::send(const void *data, int len, int *written, int, int, int) {
    if (written == nullptr)
        return kNullArgument;
    *written = 0;
    // The library's count is 16 bits wide: a longer block would be cut without a word.
    if (len < 0 || len > kIbmMaxWrite)
        return kSystemCallFailed;
    uint32_t count = static_cast<uint32_t>(len);
    const uint16_t r = keep(vendor::prtWriteDevice(device_, station_, data, &count));
    *written = static_cast<int>(count & 0xFFFF);
    debugLine("PTL: PrtWriteDevice(%d, %d)=%d\n", len, *written, r);
    return relay(r);
}

int WIBMDLL::recv(void *buffer, int size, int *got, int) {
    if (got == nullptr)
        return kNullArgument;
    *got = 0;
    uint32_t count = static_cast<uint32_t>(size);
    const uint16_t r = keep(vendor::prtReadDevice(device_, station_, buffer, &count));
    *got = static_cast<int>(count & 0xFFFF);
    debugLine("PTL: PrtReadDevice(%d, %d)=%d\n", size, *got, r);
    return relay(r);
}

int WIBMDLL::docStart(int, int) {
    const uint16_t r = keep(vendor::prtBeginTrans(device_, 0));
    if (r != 0 && r != 0x0508 && r != 0x050A && r != 0x0513)
        return relay(r);
    uint8_t b[8] = {};
    keep(vendor::prtGetEnvVars(device_, station_, b, 0));
    debugLine("Error Ctrs = %#.4x, %#.4x, %#.4x, %#.4x\n", word(b), word(b + 2), word(b + 4), word(b + 6));
    memset(b, 0, sizeof b);
    keep(vendor::prtGetEnvVars(device_, station_, b, 1));
    debugLine("POR Status = %#.4x\n", word(b));
    memset(b, 0, sizeof b);
    keep(vendor::prtGetEnvVars(device_, station_, b, 3));
    debugLine("Printer Id = %#.2x\n\n", b[0]);
    return kOk;
}

int WIBMDLL::docEnd() {
    return kOk;
}
int WIBMDLL::pageStart(int, int) {
    return kOk;
}
int WIBMDLL::pageEnd() {
    return kOk;
}

DeviceHandle WIBMDLL::getHandle() {
    return static_cast<DeviceHandle>(device_);
}
bool WIBMDLL::isClaimed() {
    return device_ != 0;
}
bool WIBMDLL::isReady() {
    return true;
}

int WIBMDLL::deviceStatus(int a, void *buffer, int size) {
    return relay(keep(vendor::prtDeviceStatus(device_, station_, a, buffer, size)));
}

int WIBMDLL::getEnvVars(void *buffer, int index) {
    return relay(keep(vendor::prtGetEnvVars(device_, station_, buffer, index)));
}

// The library's query takes four arguments and cleans them itself: a call with three would unbalance the
// stack, so the three-value form is not offered.
int WIBMDLL::getEnvVarsEx(int, int) {
    return kNotSupported;
}

int WIBMDLL::getCodePage(int a) {
    return relay(keep(vendor::prtGetCP(device_, a)));
}

int WIBMDLL::setCodePage(int a, int b) {
    return relay(keep(vendor::prtSetCP(device_, a, b)));
}

// ---------------------------------------------------------------------------------------------------

WIBMDLLA::WIBMDLLA() : AsyncPort<WIBMDLL>("WIBMDLLA") {}

WIBMDLLA::~WIBMDLLA() {
    WIBMDLLA::release(0);
}

int WIBMDLLA::getIOMode() {
    return 1;
}

void WIBMDLLA::logClaim() {
    debugLine("PTL: WIBMDLLA::claim(%d)\n", portNo_);
}

int WIBMDLLA::setUpEngine() {
    // Each take from the queue fits one library write.
    sendBlockBytes_ = std::min<uint32_t>(sendBlockBytes_, kIbmMaxWrite);
    return kOk;
}

bool WIBMDLLA::writeBlock(const uint8_t *data, uint32_t len, uint32_t *done) {
    uint32_t count = len;
    const uint16_t r = keep(vendor::prtWriteDevice(device_, station_, data, &count));
    *done = count & 0xFFFF;
    if (r != 0) {
        uint8_t record[6] = {};
        uint32_t length = sizeof record;
        vendor::prtDeviceStatus(device_, station_, 0, record, reinterpret_cast<intptr_t>(&length));
        printIbmException(record);
    }
    return r == 0;
}

} // namespace ptl
