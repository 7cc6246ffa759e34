// Minimal Win32 spooler job: one RAW document on the named printer, the file written in fixed blocks
// (4096 bytes, rawpush's block, unless told otherwise). The baseline of the spooler figures.
//   bench_spoolloop <file> <printer> [block bytes]
#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char **argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: bench_spoolloop <file> <printer> [block bytes]\n");
        return 1;
    }
    const int blockSize = argc > 3 ? atoi(argv[3]) : 4096;
    if (blockSize <= 0)
        return 1;
    HANDLE in = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    HANDLE printer = nullptr;
    if (in == INVALID_HANDLE_VALUE || !OpenPrinterA(argv[2], &printer, nullptr))
        return 1;
    DOC_INFO_1A doc{const_cast<char *>("bench"), nullptr, const_cast<char *>("RAW")};
    if (StartDocPrinterA(printer, 1, reinterpret_cast<BYTE *>(&doc)) == 0 || !StartPagePrinter(printer))
        return 2;
    std::vector<char> block(static_cast<size_t>(blockSize));
    for (DWORD got = 0; ReadFile(in, block.data(), blockSize, &got, nullptr) && got > 0;) {
        DWORD done = 0;
        if (!WritePrinter(printer, block.data(), got, &done) || done != got)
            return 3;
    }
    if (!EndPagePrinter(printer) || !EndDocPrinter(printer))
        return 3;
    ClosePrinter(printer);
    CloseHandle(in);
    return 0;
}
