// What the bare baselines share: the optional block-size argument and the job read in fixed blocks, each
// handed to the baseline's own write. Exit codes as the baselines give them: 1 the job file, 3 a write.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <vector>

// The block size from argv[index] when given, rawpush's 4096 otherwise; 0 when it is not a positive number.
inline int blockSizeArg(int argc, char **argv, int index) {
    const int size = argc > index ? atoi(argv[index]) : 4096;
    return size > 0 ? size : 0;
}

// Reads path in blocks of blockSize into write(data, n), which answers false when the write failed: 0 the
// whole file went, 1 the file cannot be opened, 3 a write failed.
template <class Write> int copyBlocks(const char *path, int blockSize, Write write) {
    HANDLE in = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    if (in == INVALID_HANDLE_VALUE)
        return 1;
    std::vector<char> block(static_cast<size_t>(blockSize));
    int result = 0;
    for (DWORD got = 0; result == 0 && ReadFile(in, block.data(), blockSize, &got, nullptr) && got > 0;)
        result = write(block.data(), got) ? 0 : 3;
    CloseHandle(in);
    return result;
}
