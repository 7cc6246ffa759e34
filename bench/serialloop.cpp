// Minimal Win32 serial send: opens COMn, sets the line (the given rate, 8 data bits, no parity, one stop
// bit, no flow control) and the write time-outs rawpush's port uses, and writes the file in fixed blocks
// (4096 bytes, rawpush's block, unless told otherwise). The baseline of the serial figures.
//   bench_serialloop <file> <COMn> <baud rate> [block bytes]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "BareLoop.h"

int main(int argc, char **argv) {
    if (argc < 4) {
        fprintf(stderr, "usage: bench_serialloop <file> <COMn> <baud rate> [block bytes]\n");
        return 1;
    }
    const int blockSize = blockSizeArg(argc, argv, 4);
    if (blockSize == 0)
        return 1;
    const std::string device = std::string("\\\\.\\") + argv[2];
    HANDLE com = CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (com == INVALID_HANDLE_VALUE)
        return 1;
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    COMMTIMEOUTS timeouts{100, 0, 2000, 0, 2000};
    if (!GetCommState(com, &dcb))
        return 2;
    dcb.BaudRate = static_cast<DWORD>(atoi(argv[3]));
    dcb.fBinary = 1;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fOutxCtsFlow = dcb.fOutxDsrFlow = dcb.fOutX = dcb.fInX = 0;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    if (!SetCommState(com, &dcb) || !SetCommTimeouts(com, &timeouts))
        return 2;
    const int result = copyBlocks(argv[1], blockSize, [com](const char *data, DWORD n) {
        // A write that ends at its time-out has taken part of the block: the rest goes next.
        for (DWORD off = 0, done = 0; off < n; off += done)
            if (!WriteFile(com, data + off, n - off, &done, nullptr))
                return false;
        return true;
    });
    CloseHandle(com);
    return result;
}
