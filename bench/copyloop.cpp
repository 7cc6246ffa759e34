// Minimal Win32 copy in fixed blocks (4096 bytes, rawpush's block, unless told otherwise), no library in
// between: the baseline of the file and short-job figures.
#include <windows.h>

#include <cstdio>

#include "BareLoop.h"
#include "system_dlls.h"

int main(int argc, char **argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: bench_copyloop <from> <to> [block bytes]\n");
        return 1;
    }
    const int blockSize = blockSizeArg(argc, argv, 3);
    if (blockSize == 0)
        return 1;
    loadPtlSystemLibraries();
    HANDLE out =
        CreateFileA(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE)
        return 1;
    const int result = copyBlocks(argv[1], blockSize, [out](const char *data, DWORD n) {
        DWORD done = 0;
        return WriteFile(out, data, n, &done, nullptr) && done == n;
    });
    CloseHandle(out);
    unloadPtlSystemLibraries();
    return result;
}
