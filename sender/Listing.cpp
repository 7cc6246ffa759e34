#include <memory>

#include "extlib/Printers.h"
#include "os/Syscalls.h"
#include "sender/Sender.h"

namespace rawpush {

namespace os = ptl::os;

int listPrinters(FILE *out) {
    char name[ptl::kPrinterNameSize] = "";
    unsigned size = ptl::kPrinterNameSize;
    // A lookup that fails may have left anything in the buffer; the line then shows an empty name.
    if (!ptl::getDefaultPrinter(name, &size))
        name[0] = '\0';
    name[ptl::kPrinterNameSize - 1] = '\0';
    fprintf(out, "DefaultPrinter=[%s]\n", name);

    // One look into the fixed buffer: printers that do not fit it are not listed.
    const ptl::LocalPrinters printers(false);
    for (unsigned i = 1; i <= printers.count(); ++i)
        fprintf(out, " spooler%d '%s'\n", static_cast<int>(i), printers.name(i));
    fputs("\n", out);

    DWORD needed = 0, returned = 0;
    os::EnumPrinterDriversA(nullptr, nullptr, 2, nullptr, 0, &needed, &returned);
    if (needed != 0) {
        std::unique_ptr<BYTE[]> drivers(new (std::nothrow) BYTE[needed]);
        if (drivers &&
            os::EnumPrinterDriversA(nullptr, nullptr, 2, drivers.get(), needed, &needed, &returned)) {
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
