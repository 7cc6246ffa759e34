// Minimal Win32 network send: a file in fixed blocks (4096 bytes, rawpush's block, unless told otherwise)
// over one TCP connection with blocking send, then a half-close and a wait for the printer's close. The
// baseline of the network figures.
#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char **argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: bench_netsend <file> <ipv4> [block bytes] [port]\n");
        return 1;
    }
    const int blockSize = argc > 3 ? atoi(argv[3]) : 4096;
    if (blockSize <= 0)
        return 1;
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
    a.sin_port = htons(static_cast<u_short>(argc > 4 ? atoi(argv[4]) : 9100));
    a.sin_addr.s_addr = inet_addr(argv[2]);
    if (connect(s, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0)
        return 2;
    std::vector<char> block(static_cast<size_t>(blockSize));
    for (DWORD got = 0; ReadFile(in, block.data(), blockSize, &got, nullptr) && got > 0;) {
        for (DWORD off = 0; off < got;) {
            int n = send(s, block.data() + off, static_cast<int>(got - off), 0);
            if (n <= 0)
                return 3;
            off += static_cast<DWORD>(n);
        }
    }
    shutdown(s, SD_SEND);
    while (recv(s, block.data(), blockSize, 0) > 0) {
    }
    closesocket(s);
    CloseHandle(in);
    WSACleanup();
    return 0;
}
