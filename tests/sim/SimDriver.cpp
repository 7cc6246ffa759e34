#include "sim/SimDriver.h"

#include <chrono>
#include <cstring>

#include "tools/netprinter-sim/StatusRequest.h"

namespace ptl::test {

namespace {

// Overlapped I/O on the pipe's server end, waited for; the number of bytes moved (0 once it is broken).
DWORD pipeIo(HANDLE h, void *buf, DWORD len, bool write) {
    OVERLAPPED ov{};
    ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD n = 0;
    BOOL ok = write ? WriteFile(h, buf, len, &n, &ov) : ReadFile(h, buf, len, &n, &ov);
    if (!ok && GetLastError() == ERROR_IO_PENDING)
        ok = GetOverlappedResult(h, &ov, &n, TRUE);
    CloseHandle(ov.hEvent);
    return ok ? n : 0;
}

} // namespace

// Every entry is shared by the drivers alive in the process (a seam entry has one handler at a time):
// each handler finds the driver a path or handle belongs to, and passes the rest on.
std::vector<SimDriver *> &SimDriver::live() {
    static std::vector<SimDriver *> drivers;
    return drivers;
}

SimDriver *SimDriver::owner(HANDLE h) {
    for (SimDriver *d : live())
        if (h != INVALID_HANDLE_VALUE && d->client_ == h)
            return d;
    return nullptr;
}

SimDriver::SimDriver(Seam &seam, std::string path)
    : orig_(seam.original<&os::Api::CreateFileA>()), path_(std::move(path)) {
    static int serial = 0;
    pipe_ = "\\\\.\\pipe\\ptl-sim-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
    live().push_back(this);
    seam.on<&os::Api::CreateFileA>(
        [o = orig_](LPCSTR p, DWORD a, DWORD s, LPSECURITY_ATTRIBUTES sa, DWORD d, DWORD f, HANDLE t) {
            for (SimDriver *dev : live())
                if (p == dev->path_)
                    return dev->open(f);
            return o(p, a, s, sa, d, f, t);
        });
    seam.on<&os::Api::CloseHandle>([o = seam.original<&os::Api::CloseHandle>()](HANDLE h) {
        if (SimDriver *d = owner(h))
            d->client_ = INVALID_HANDLE_VALUE;
        return o(h);
    });
    seam.on<&os::Api::DeviceIoControl>(
        [o = seam.original<&os::Api::DeviceIoControl>()](HANDLE h, DWORD c, LPVOID in, DWORD ni, LPVOID out,
                                                         DWORD no, LPDWORD r, LPOVERLAPPED ov) {
            SimDriver *d = owner(h);
            return d ? d->control(c, in, ni, out, no, r, ov) : o(h, c, in, ni, out, no, r, ov);
        });
    seam.on<&os::Api::WriteFile>(
        [o = seam.original<&os::Api::WriteFile>()](HANDLE h, LPCVOID b, DWORD n, LPDWORD w, LPOVERLAPPED ov) {
            SimDriver *d = owner(h);
            if (d && d->failWrites > 0 && d->failWrites--) {
                SetLastError(ERROR_GEN_FAILURE);
                return FALSE;
            }
            return o(h, b, n, w, ov);
        });
}

SimDriver::~SimDriver() {
    stopReader();
    std::erase(live(), this);
}

HANDLE SimDriver::open(DWORD flags) {
    if (unplugged) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE client =
        orig_(listen().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, flags, nullptr);
    ++opens;
    client_ = client;
    serve();
    return client;
}

std::string SimDriver::listen() {
    stopReader();
    server_ = CreateNamedPipeA(pipe_.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED, PIPE_TYPE_BYTE, 1,
                               65536, 65536, 0, nullptr);
    return pipe_;
}

void SimDriver::serve() {
    reader_ = std::thread([this, server = server_] {
        char buf[8192];
        sim::StatusRequest request;
        while (DWORD n = pipeIo(server, buf, sizeof buf, false)) {
            for (DWORD i = 0; answersStatus && i < n; ++i)
                if (const int status = request.take(static_cast<uint8_t>(buf[i])); status >= 0) {
                    char c = static_cast<char>(status);
                    pipeIo(server, &c, 1, true);
                }
            std::lock_guard<std::mutex> g(lock_);
            received_.append(buf, n);
            arrived_.notify_all();
        }
    });
}

void SimDriver::stopReader() {
    if (!reader_.joinable())
        return;
    if (isOpen()) // the port left it open: end the pipe from this side
        DisconnectNamedPipe(server_);
    reader_.join();
    CloseHandle(server_);
}

BOOL SimDriver::control(DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize, LPDWORD ret,
                        LPOVERLAPPED ov) {
    std::lock_guard<std::mutex> g(lock_);
    const std::string input(static_cast<const char *>(in), in != nullptr ? inSize : 0);
    requests.push_back({code, input, outSize, std::string(static_cast<const char *>(out), out ? outSize : 0),
                        ov != nullptr});
    *ret = 0;
    if (refused.count(code)) {
        SetLastError(ERROR_GEN_FAILURE);
        return FALSE;
    }
    const auto b = [&](size_t i) { return static_cast<uint8_t>(input[i]); };
    const bool vendor = inSize == 3 && (code == 0x220038 || code == 0x22003C);
    std::string reply = answers.count(code) ? answers[code] : "";
    if (code == 0x2220C8 && inSize == 2)
        state = static_cast<uint16_t>(b(0) | b(1) << 8);
    if (vendor && code == 0x220038 && b(0) == 0x02)
        state = static_cast<uint16_t>(b(1) << 8 | b(2));
    if (code == 0x2220C4 || (vendor && code == 0x22003C && b(0) == 0x01)) {
        const uint16_t s = busy != 0 ? state | 0x0002 : state;
        busy -= busy > 0;
        reply =
            std::string{static_cast<char>(s & 0xFF), static_cast<char>(s >> 8)} + (vendor ? "\xA5\x5A" : "");
    }
    if (reply.size() > outSize) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    if (!reply.empty())
        memcpy(out, reply.data(), reply.size());
    *ret = static_cast<DWORD>(reply.size());
    return TRUE;
}

std::string SimDriver::received() {
    std::lock_guard<std::mutex> g(lock_);
    return received_;
}
bool SimDriver::waitReceived(size_t n) {
    std::unique_lock<std::mutex> g(lock_);
    return arrived_.wait_for(g, std::chrono::seconds(10), [&] { return received_.size() >= n; });
}
void SimDriver::feed(std::string bytes) {
    pipeIo(server_, bytes.data(), static_cast<DWORD>(bytes.size()), true);
}

} // namespace ptl::test
