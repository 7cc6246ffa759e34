// The USB port against the simulated driver, in one process: the device lookup and the driver are the
// tests' simulators, installed through the system-call seam, and the driver's data path is a real named
// pipe whose reading thread (the simulator's) counts every byte. Two ways to fill that pipe:
//   bench_usbpipe port <file> <target> <mode>   rawpush's calls: PtlOpenByName, PtlClaim, PtlSend of
//                                                4096-byte blocks until all is taken, PtlRelease with the
//                                                same drain time, PtlClose
//   bench_usbpipe loop <file> <block bytes>      CreateFileA on the pipe's own name (no seam), WriteFile
//                                                of fixed blocks, CloseHandle
// Timed with QueryPerformanceCounter from the open to the moment the reader holds every byte; prints
// "seconds=<s> bytes=<n>". Exits non-zero when any call fails or the bytes read differ from the file's.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ptl/ptl.h"
#include "sender/Sender.h"
#include "win/usb/UsbSims.h"

namespace {

using ptl::test::kVqPath;
using ptl::test::SimDriver;

std::string readAll(const char *path) {
    std::string bytes;
    FILE *f = fopen(path, "rb");
    if (!f)
        return bytes;
    char buf[65536];
    for (size_t n; (n = fread(buf, 1, sizeof buf, f)) > 0;)
        bytes.append(buf, n);
    fclose(f);
    return bytes;
}

HANDLE openInput(const char *path) {
    return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

// rawpush's send run without its printing: the whole file in 4096-byte blocks, a full queue retried after
// a yield and then pauses growing to 50 ms.
bool sendPort(HANDLE in, const char *target, int mode) {
    const int h = PtlOpenByName(target, mode);
    if (h == -1)
        return false;
    bool ok = PtlClaim(h, 0) <= 0 && PtlForce(h, 0) <= 0;
    PtlDocStart(h, 0, 0);
    PtlPageStart(h, 0, 0);
    char block[rawpush::kBlockSize];
    for (DWORD got = 0; ok && ReadFile(in, block, sizeof block, &got, nullptr) && got > 0;) {
        DWORD pause = 0;
        for (int off = 0, remaining = static_cast<int>(got); ok && remaining > 0;) {
            int written = 0;
            ok = PtlSend(h, block + off, remaining, &written, 0, 0, 0) == 0;
            if (ok && written <= 0) {
                Sleep(pause);
                pause = pause == 0 ? 1 : (pause * 2 > 50 ? 50 : pause * 2);
                continue;
            }
            pause = 0;
            off += written;
            remaining -= written;
        }
    }
    PtlPageEnd(h);
    ok = PtlDocEnd(h) <= 0 && ok;
    ok = PtlRelease(h, rawpush::kReleaseDrainMs) <= 0 && ok;
    PtlClose(h);
    return ok;
}

bool sendLoop(HANDLE in, SimDriver &driver, int blockSize) {
    const std::string pipe = driver.listen();
    HANDLE out = CreateFileA(pipe.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE)
        return false;
    driver.serve();
    std::vector<char> block(static_cast<size_t>(blockSize));
    bool ok = true;
    for (DWORD got = 0; ok && ReadFile(in, block.data(), blockSize, &got, nullptr) && got > 0;) {
        DWORD done = 0;
        ok = WriteFile(out, block.data(), got, &done, nullptr) && done == got;
    }
    CloseHandle(out);
    return ok;
}

} // namespace

int main(int argc, char **argv) {
    const bool port = argc == 5 && strcmp(argv[1], "port") == 0;
    const bool loop = argc == 4 && strcmp(argv[1], "loop") == 0 && atoi(argv[3]) > 0;
    if (!port && !loop) {
        fprintf(stderr, "usage: bench_usbpipe port <file> <target> <mode>\n"
                        "       bench_usbpipe loop <file> <block bytes>\n");
        return 1;
    }
    const std::string want = readAll(argv[2]);
    HANDLE in = openInput(argv[2]);
    if (in == INVALID_HANDLE_VALUE || want.empty()) {
        fprintf(stderr, "cannot read %s\n", argv[2]);
        return 1;
    }
    ptl::test::Seam seam;
    ptl::test::SimSetupDi setup{seam};
    SimDriver driver{seam, kVqPath + "\\VQ"};
    setup.interfaces = {{ptl::kMakerUsbDriverGuid, kVqPath}};
    if (port && PtlStartup(nullptr) > 0) {
        fputs("PtlStartup failed\n", stderr);
        return 1;
    }

    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&t0);
    const bool sent = port ? sendPort(in, argv[3], atoi(argv[4])) : sendLoop(in, driver, atoi(argv[3]));
    const bool whole = sent && driver.waitReceived(want.size());
    QueryPerformanceCounter(&t1);
    if (port)
        PtlCleanup();
    CloseHandle(in);

    const std::string got = driver.received();
    if (!sent || !whole || got != want) {
        fprintf(stderr, "%s: %zu of %zu bytes arrived%s\n", sent ? "short" : "send failed", got.size(),
                want.size(), got.size() == want.size() ? ", different" : "");
        return 2;
    }
    printf("seconds=%.6f bytes=%zu\n", static_cast<double>(t1.QuadPart - t0.QuadPart) / freq.QuadPart,
           got.size());
    return 0;
}
