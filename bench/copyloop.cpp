// Minimal Win32 copy: the same 4096-byte blocks rawpush uses, no library in between.
#include <windows.h>

#include <cstdio>

#include "system_dlls.h"

int main(int argc, char **argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: bench_copyloop <from> <to>\n");
        return 1;
    }
    loadPtlSystemLibraries();
    HANDLE in = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    HANDLE out =
        CreateFileA(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (in == INVALID_HANDLE_VALUE || out == INVALID_HANDLE_VALUE)
        return 1;
    static char block[4096];
    for (DWORD got = 0; ReadFile(in, block, sizeof block, &got, nullptr) && got > 0;) {
        DWORD done = 0;
        if (!WriteFile(out, block, got, &done, nullptr) || done != got)
            return 3;
    }
    CloseHandle(in);
    CloseHandle(out);
    return 0;
}
