// Minimal Win32 copy in fixed blocks (4096 bytes, rawpush's block, unless told otherwise), no library in
// between: the baseline of the file and short-job figures.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "system_dlls.h"

int main(int argc, char **argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: bench_copyloop <from> <to> [block bytes]\n");
        return 1;
    }
    const int blockSize = argc > 3 ? atoi(argv[3]) : 4096;
    if (blockSize <= 0)
        return 1;
    loadPtlSystemLibraries();
    HANDLE in = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    HANDLE out =
        CreateFileA(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (in == INVALID_HANDLE_VALUE || out == INVALID_HANDLE_VALUE)
        return 1;
    std::vector<char> block(static_cast<size_t>(blockSize));
    for (DWORD got = 0; ReadFile(in, block.data(), blockSize, &got, nullptr) && got > 0;) {
        DWORD done = 0;
        if (!WriteFile(out, block.data(), got, &done, nullptr) || done != got)
            return 3;
    }
    CloseHandle(in);
    CloseHandle(out);
    unloadPtlSystemLibraries();
    return 0;
}
