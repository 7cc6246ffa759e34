// Minimal Win32 network send: the file in rawpush's 4096-byte blocks over one TCP connection with blocking
// send, then a half-close and a wait for the printer's close. The baseline of the network benchmark.
#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "system_dlls.h"

int main(int argc, char **argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: bench_netsend <file> <ipv4> [port]\n");
        return 1;
    }
    loadPtlSystemLibraries();
    WSADATA d;
    if (WSAStartup(MAKEWORD(2, 2), &d) != 0)
        return 1;
    HANDLE in = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    if (in == INVALID_HANDLE_VALUE)
        return 1;
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<u_short>(argc > 3 ? atoi(argv[3]) : 9100));
    a.sin_addr.s_addr = inet_addr(argv[2]);
    if (connect(s, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0)
        return 2;
    static char block[4096];
    for (DWORD got = 0; ReadFile(in, block, sizeof block, &got, nullptr) && got > 0;) {
        for (DWORD off = 0; off < got;) {
            int n = send(s, block + off, static_cast<int>(got - off), 0);
            if (n <= 0)
                return 3;
            off += static_cast<DWORD>(n);
        }
    }
    shutdown(s, SD_SEND);
    while (recv(s, block, sizeof block, 0) > 0) {
    }
    closesocket(s);
    CloseHandle(in);
    WSACleanup();
    return 0;
}
