#include "extlib/WSpooler.h"

#include <cstdint>

#include "core/Log.h"
#include "core/Target.h"
#include "os/Syscalls.h"

namespace ptl {

namespace {

int spoolerResult(BOOL ok) {
    return ok ? kOk : kSystemCallFailed;
}

DWORD byteCount(int n) {
    return static_cast<DWORD>(n < 0 ? 0 : n);
}

} // namespace

WSpooler::~WSpooler() {
    WSpooler::release(0);
}
int WSpooler::getIFType() {
    return kIfSpooler;
}
int WSpooler::getIOMode() {
    return 0;
}
const char *WSpooler::getIFName() {
    return "SPOOLER";
}

int WSpooler::claim(int) {
    debugLine("PTL: WSpooler::claim()\n");
    release(0);
    int r = resolveName();
    if (r != kOk)
        return r;
    // An empty name would open the print server itself, not a printer.
    HANDLE h = nullptr;
    const BOOL ok = name_[0] != '\0' && os::OpenPrinterA(name_, &h, nullptr);
    debugLine("PTL:  '%s'=%d\n", name_, ok);
    if (!ok)
        return kCantClaim;
    printer_.reset(h);
    return kOk;
}

// No drain wait: the spooler holds what was written. A job still open is left to the spooler.
int WSpooler::release(int timeoutMs) {
    if (!printer_)
        return kOk;
    debugLine("PTL: WSpooler::release(%d)\n", timeoutMs);
    printer_.reset();
    return kOk;
}

DeviceHandle WSpooler::getHandle() {
    return reinterpret_cast<DeviceHandle>(printer_.get());
}
bool WSpooler::isClaimed() {
    return static_cast<bool>(printer_);
}

int WSpooler::send(const void *data, int len, int *written, int, int, int) {
    DWORD n = 0;
    const BOOL ok = os::WritePrinter(printer(), const_cast<void *>(data), byteCount(len), &n);
    debugLine("PTL: WritePrinter(%d, %d)=%d\n", len, static_cast<int>(n), ok);
    if (written != nullptr)
        *written = static_cast<int>(n);
    return ok ? kOk : kWriteFailed;
}

int WSpooler::recv(void *buffer, int size, int *got, int) {
    DWORD n = 0;
    const BOOL ok = os::ReadPrinter(printer(), buffer, byteCount(size), &n);
    debugLine("PTL: ReadPrinter(%d, %d)=%d\n", size, static_cast<int>(n), ok);
    if (got != nullptr)
        *got = static_cast<int>(n);
    return ok ? kOk : kReadFailed;
}

int WSpooler::docStart(int p1, int p2) {
    const void *docInfo = reinterpret_cast<const void *>(static_cast<intptr_t>(p2));
    return startDocPrinter(p1, docInfo) != 0 ? kOk : kSystemCallFailed;
}
int WSpooler::docEnd() {
    return endDocPrinter();
}
int WSpooler::pageStart(int, int) {
    return startPagePrinter();
}
int WSpooler::pageEnd() {
    return endPagePrinter();
}

// The data type stays the printer's default: a printer that does not take raw bytes says so itself.
int WSpooler::startDocPrinter(int level, const void *docInfo) {
    debugLine("PTL: WSpooler::startDocPrinter\n");
    DOC_INFO_1A own{const_cast<char *>(kSpoolerDocName), nullptr, nullptr};
    if (docInfo == nullptr) {
        level = 1;
        docInfo = &own;
    }
    auto info = reinterpret_cast<BYTE *>(const_cast<void *>(docInfo));
    return static_cast<int>(os::StartDocPrinterA(printer(), static_cast<DWORD>(level), info));
}
int WSpooler::startPagePrinter() {
    debugLine("PTL: WSpooler::startPagePrinter\n");
    return spoolerResult(os::StartPagePrinter(printer()));
}
int WSpooler::endPagePrinter() {
    debugLine("PTL: WSpooler::endPagePrinter\n");
    return spoolerResult(os::EndPagePrinter(printer()));
}
int WSpooler::endDocPrinter() {
    debugLine("PTL: WSpooler::endDocPrinter\n");
    return spoolerResult(os::EndDocPrinter(printer()));
}

int WSpooler::getJob(int jobId, int level, void *buffer, int size, unsigned *needed) {
    DWORD n = 0;
    const BOOL ok = os::GetJobA(printer(), static_cast<DWORD>(jobId), static_cast<DWORD>(level),
                                static_cast<BYTE *>(buffer), byteCount(size), &n);
    if (needed != nullptr)
        *needed = n;
    return spoolerResult(ok);
}
int WSpooler::setJob(int jobId, int level, const void *buffer, int command) {
    return spoolerResult(os::SetJobA(printer(), static_cast<DWORD>(jobId), static_cast<DWORD>(level),
                                     static_cast<BYTE *>(const_cast<void *>(buffer)),
                                     static_cast<DWORD>(command)));
}
int WSpooler::getPrinter(int level, void *buffer, int size, unsigned *needed) {
    DWORD n = 0;
    const BOOL ok = os::GetPrinterA(printer(), static_cast<DWORD>(level), static_cast<BYTE *>(buffer),
                                    byteCount(size), &n);
    if (needed != nullptr)
        *needed = n;
    return spoolerResult(ok);
}
int WSpooler::setPrinter(int level, const void *buffer, int command) {
    return spoolerResult(os::SetPrinterA(printer(), static_cast<DWORD>(level),
                                         static_cast<BYTE *>(const_cast<void *>(buffer)),
                                         static_cast<DWORD>(command)));
}

} // namespace ptl
