#include <memory>

#include "ptl/ptl.h"

#include "sender/Sender.h"
#include "sender/System.h"

namespace rawpush {

namespace {

constexpr DWORD kDefaultNameSize = 260;
constexpr DWORD kPrinterListSize = 1200;

} // namespace

int listPrinters(FILE *out) {
    char name[kDefaultNameSize] = "";
    unsigned size = kDefaultNameSize;
    // A lookup that fails may have left anything in the buffer; the line then shows an empty name.
    if (!PtlGetDefaultPrinter(name, &size))
        name[0] = '\0';
    name[kDefaultNameSize - 1] = '\0';
    fprintf(out, "DefaultPrinter=[%s]\n", name);

    alignas(PRINTER_INFO_4A) BYTE printers[kPrinterListSize];
    DWORD needed = 0, returned = 0;
    if (sys::EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 4, printers, kPrinterListSize, &needed, &returned)) {
        const auto *info = reinterpret_cast<const PRINTER_INFO_4A *>(printers);
        for (DWORD i = 0; i < returned; ++i)
            fprintf(out, " spooler%d '%s'\n", static_cast<int>(i + 1),
                    info[i].pPrinterName ? info[i].pPrinterName : "");
    }
    fputs("\n", out);

    needed = 0;
    returned = 0;
    sys::EnumPrinterDriversA(nullptr, nullptr, 2, nullptr, 0, &needed, &returned);
    if (needed != 0) {
        std::unique_ptr<BYTE[]> drivers(new (std::nothrow) BYTE[needed]);
        if (drivers &&
            sys::EnumPrinterDriversA(nullptr, nullptr, 2, drivers.get(), needed, &needed, &returned)) {
            const auto *info = reinterpret_cast<const DRIVER_INFO_2A *>(drivers.get());
            for (DWORD i = 0; i < returned; ++i)
                if (info[i].pName != nullptr && info[i].pName[0] != '\0')
                    fprintf(out, "%3d '%s'\n", static_cast<int>(i + 1),
                            info[i].pDriverPath ? info[i].pDriverPath : "");
        }
    }
    fflush(out);
    return kExitOk;
}

} // namespace rawpush
