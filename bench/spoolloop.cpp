// Minimal Win32 spooler job: one RAW document on the named printer, the file written in fixed blocks
// (4096 bytes, rawpush's block, unless told otherwise). The baseline of the spooler figures.
//   bench_spoolloop <file> <printer> [block bytes]
#include <windows.h>
#include <winspool.h>

#include <cstdio>

#include "BareLoop.h"

int main(int argc, char **argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: bench_spoolloop <file> <printer> [block bytes]\n");
        return 1;
    }
    const int blockSize = blockSizeArg(argc, argv, 3);
    if (blockSize == 0)
        return 1;
    HANDLE printer = nullptr;
    if (!OpenPrinterA(argv[2], &printer, nullptr))
        return 1;
    DOC_INFO_1A doc{const_cast<char *>("bench"), nullptr, const_cast<char *>("RAW")};
    if (StartDocPrinterA(printer, 1, reinterpret_cast<BYTE *>(&doc)) == 0 || !StartPagePrinter(printer))
        return 2;
    int result = copyBlocks(argv[1], blockSize, [printer](char *data, DWORD n) {
        DWORD done = 0;
        return WritePrinter(printer, data, n, &done) && done == n;
    });
    if (!EndPagePrinter(printer) || !EndDocPrinter(printer))
        result = 3;
    ClosePrinter(printer);
    return result;
}
