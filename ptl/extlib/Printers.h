// What the spooler says about its printers: the default printer and the local printers by number. Shared
// by the ports named by a printer and by rawpush's listing.
#pragma once

#include <windows.h>
#include <winspool.h>

#include <memory>

namespace ptl {

// Room for a printer name, terminator included.
constexpr unsigned kPrinterNameSize = 260;
// The first enumeration of the local printers asks for this much data.
constexpr DWORD kPrinterListSize = 1200;

// The default printer's name, looked up the way the running system supports. On success *size is the
// length plus 1; when the name does not fit, false with *size set to the length needed.
bool getDefaultPrinter(char *buffer, unsigned *size);

// The local printers at information level 4, in the order the spooler returns them.
class LocalPrinters {
public:
    // Enumerates into kPrinterListSize bytes. With grow, printers that do not fit there are asked for once
    // more with the size the spooler names; without it they count as none.
    explicit LocalPrinters(bool grow);
    LocalPrinters(const LocalPrinters &) = delete;
    LocalPrinters &operator=(const LocalPrinters &) = delete;

    unsigned count() const { return count_; }
    // The name of printer n, counted from 1; null when there is no such printer.
    const char *name(unsigned n) const;

private:
    alignas(PRINTER_INFO_4A) BYTE fixed_[kPrinterListSize];
    std::unique_ptr<BYTE[]> grown_;
    const PRINTER_INFO_4A *info_ = nullptr;
    unsigned count_ = 0;
};

} // namespace ptl
