#include "sim/SimComm.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace ptl::test {

namespace {

std::condition_variable &doneSignal() {
    static std::condition_variable cv;
    return cv;
}

std::string hex(DWORD v) {
    char b[16];
    snprintf(b, sizeof b, "%08lX", static_cast<unsigned long>(v));
    return b;
}

} // namespace

bool waitUntil(const std::function<bool()> &pred, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > deadline)
            return pred();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

SimComm::SimComm(Seam &seam, std::string devicePath)
    : previous_(os::api()), devicePath_(std::move(devicePath)) {
    dcb_.DCBlength = sizeof dcb_;
    install(seam);
}

SimComm::~SimComm() {
    // The Seam that holds the entries outlives this object only if declared first; a test that keeps a
    // port claimed past the simulator would be a test bug, so nothing is left pending here.
    std::lock_guard<std::mutex> g(lock_);
    while (!pending_.empty())
        complete(pending_.front(), ERROR_OPERATION_ABORTED, 0);
    if (open_ != nullptr)
        previous_.CloseHandle(open_);
    open_ = nullptr;
}

// --- Configuration and observation ---------------------------------------------------------------

void SimComm::setDeviceTarget(const std::string &target) {
    std::lock_guard<std::mutex> g(lock_);
    deviceTarget_ = target;
}

void SimComm::setDosTargets(const std::string &dosName, const std::vector<std::string> &targets) {
    std::lock_guard<std::mutex> g(lock_);
    dosTargets_[dosName] = targets;
}

void SimComm::setNt(bool nt) {
    std::lock_guard<std::mutex> g(lock_);
    nt_ = nt;
}

std::map<std::string, std::string> SimComm::aliases() {
    std::lock_guard<std::mutex> g(lock_);
    return aliases_;
}

void SimComm::feed(const std::string &bytes) {
    std::lock_guard<std::mutex> g(lock_);
    rx_ += bytes;
    serveReads();
    if (!bytes.empty())
        raise(EV_RXCHAR);
}

void SimComm::lineError(DWORD commErrors) {
    std::lock_guard<std::mutex> g(lock_);
    errors_ |= commErrors;
    raise(EV_ERR);
}

void SimComm::setHold(bool cts, bool dsr, bool xoff) {
    std::lock_guard<std::mutex> g(lock_);
    ctsHold_ = cts;
    dsrHold_ = dsr;
    xoffHold_ = xoff;
}

void SimComm::setModemStatus(DWORD status) {
    std::lock_guard<std::mutex> g(lock_);
    modem_ = status;
}

void SimComm::setCommErrors(DWORD errors) {
    std::lock_guard<std::mutex> g(lock_);
    errors_ = errors;
}

void SimComm::holdWrites(bool hold) {
    std::lock_guard<std::mutex> g(lock_);
    holdWrites_ = hold;
    if (hold)
        return;
    for (size_t i = 0; i < pending_.size();) {
        Op op = pending_[i];
        if (op.kind != Op::Write) {
            ++i;
            continue;
        }
        tx_.append(static_cast<const char *>(op.buffer), op.len);
        complete(op, 0, op.len);
    }
}

void SimComm::failPending(DWORD error) {
    std::lock_guard<std::mutex> g(lock_);
    for (size_t i = 0; i < pending_.size();) {
        if (pending_[i].kind == Op::Wait)
            ++i;
        else
            complete(pending_[i], error, 0);
    }
}

void SimComm::failNth(const std::string &entry, int n, DWORD error) {
    std::lock_guard<std::mutex> g(lock_);
    failures_[entry].push_back({n, error});
}

void SimComm::setParStatus(unsigned char status) {
    std::lock_guard<std::mutex> g(lock_);
    parStatus_ = status;
}

void SimComm::setDeviceId(const std::string &id) {
    std::lock_guard<std::mutex> g(lock_);
    deviceId_ = id;
}

void SimComm::refuseIoctls(bool refuse) {
    std::lock_guard<std::mutex> g(lock_);
    refuseIoctls_ = refuse;
}

std::vector<std::string> SimComm::calls() {
    std::lock_guard<std::mutex> g(lock_);
    return calls_;
}

int SimComm::count(const std::string &call) {
    std::lock_guard<std::mutex> g(lock_);
    return static_cast<int>(std::count(calls_.begin(), calls_.end(), call));
}

DCB SimComm::dcb() {
    std::lock_guard<std::mutex> g(lock_);
    return dcb_;
}

std::vector<DCB> SimComm::statesSet() {
    std::lock_guard<std::mutex> g(lock_);
    return statesSet_;
}

COMMTIMEOUTS SimComm::timeouts() {
    std::lock_guard<std::mutex> g(lock_);
    return timeouts_;
}

DWORD SimComm::eventMask() {
    std::lock_guard<std::mutex> g(lock_);
    return mask_;
}

bool SimComm::dtr() {
    std::lock_guard<std::mutex> g(lock_);
    return dtr_;
}

bool SimComm::rts() {
    std::lock_guard<std::mutex> g(lock_);
    return rts_;
}

std::string SimComm::written() {
    std::lock_guard<std::mutex> g(lock_);
    return tx_;
}

std::vector<DWORD> SimComm::writeSizes() {
    std::lock_guard<std::mutex> g(lock_);
    return writeSizes_;
}

size_t SimComm::pendingWrites() {
    std::lock_guard<std::mutex> g(lock_);
    return static_cast<size_t>(
        std::count_if(pending_.begin(), pending_.end(), [](const Op &op) { return op.kind == Op::Write; }));
}

int SimComm::readCalls() {
    std::lock_guard<std::mutex> g(lock_);
    return readCalls_;
}

std::vector<SimComm::Ioctl> SimComm::ioctls() {
    std::lock_guard<std::mutex> g(lock_);
    return ioctls_;
}

bool SimComm::isOpen() {
    std::lock_guard<std::mutex> g(lock_);
    return open_ != nullptr;
}

// --- Internals -----------------------------------------------------------------------------------

bool SimComm::isDevice(HANDLE h) {
    std::lock_guard<std::mutex> g(lock_);
    return h != nullptr && h == open_;
}

bool SimComm::shouldFail(const std::string &entry, DWORD *error) {
    auto it = failures_.find(entry);
    if (it == failures_.end())
        return false;
    bool fail = false;
    for (auto f = it->second.begin(); f != it->second.end();) {
        if (--f->first == 0) {
            fail = true;
            *error = f->second;
            f = it->second.erase(f);
        } else {
            ++f;
        }
    }
    return fail;
}

void SimComm::record(const std::string &call) {
    calls_.push_back(call);
}

void SimComm::complete(Op op, DWORD error, DWORD bytes) {
    done_[op.ov] = {error, bytes};
    op.ov->Internal = error;
    op.ov->InternalHigh = bytes;
    for (auto it = pending_.begin(); it != pending_.end(); ++it) {
        if (it->ov == op.ov && it->kind == op.kind) {
            pending_.erase(it);
            break;
        }
    }
    if (op.ov->hEvent != nullptr)
        previous_.SetEvent(op.ov->hEvent);
    doneSignal().notify_all();
}

void SimComm::serveReads() {
    for (size_t i = 0; i < pending_.size() && !rx_.empty();) {
        Op op = pending_[i];
        if (op.kind != Op::Read) {
            ++i;
            continue;
        }
        const DWORD n = static_cast<DWORD>(std::min<size_t>(op.len, rx_.size()));
        std::memcpy(op.buffer, rx_.data(), n);
        rx_.erase(0, n);
        complete(op, 0, n);
    }
}

void SimComm::raise(DWORD events) {
    const DWORD wanted = events & mask_;
    if (wanted == 0)
        return;
    for (const Op &op : pending_) {
        if (op.kind != Op::Wait)
            continue;
        *op.mask = wanted;
        Op copy = op;
        complete(copy, 0, 0);
        return;
    }
    events_ |= wanted;
}

void SimComm::install(Seam &seam) {
    using os::Api;

    seam.on<&Api::CreateFileA>([this](LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                                      DWORD disposition, DWORD flags, HANDLE templ) -> HANDLE {
        std::string p = path ? path : "";
        std::unique_lock<std::mutex> g(lock_);
        bool mine = p == devicePath_;
        if (!mine && p.rfind("\\\\.\\", 0) == 0) {
            auto a = aliases_.find(p.substr(4));
            mine = a != aliases_.end() && a->second == deviceTarget_;
        }
        if (!mine) {
            if (p.rfind("\\\\.\\", 0) == 0) { // another device: absent here
                record("CreateFileA " + p);
                previous_.SetLastError(ERROR_FILE_NOT_FOUND);
                return INVALID_HANDLE_VALUE;
            }
            g.unlock();
            return previous_.CreateFileA(path, access, share, sa, disposition, flags, templ);
        }
        record("CreateFileA " + p);
        DWORD error = 0;
        if (shouldFail("CreateFileA", &error)) {
            previous_.SetLastError(error);
            return INVALID_HANDLE_VALUE;
        }
        if (open_ != nullptr) { // opened without sharing
            previous_.SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
        open_ = previous_.CreateEventA(nullptr, TRUE, FALSE, nullptr); // a real handle to stand for it
        return open_;
    });

    seam.on<&Api::CloseHandle>([this](HANDLE h) -> BOOL {
        {
            std::lock_guard<std::mutex> g(lock_);
            if (h != nullptr && h == open_) {
                record("CloseHandle");
                while (!pending_.empty())
                    complete(pending_.front(), ERROR_OPERATION_ABORTED, 0);
                open_ = nullptr;
            }
        }
        return previous_.CloseHandle(h);
    });

    seam.on<&Api::ReadFile>([this](HANDLE h, LPVOID buf, DWORD len, LPDWORD got, LPOVERLAPPED ov) -> BOOL {
        if (!isDevice(h))
            return previous_.ReadFile(h, buf, len, got, ov);
        std::lock_guard<std::mutex> g(lock_);
        ++readCalls_;
        DWORD error = 0;
        if (got != nullptr)
            *got = 0;
        if (shouldFail("ReadFile", &error)) {
            previous_.SetLastError(error);
            return FALSE;
        }
        if (ov != nullptr) {
            done_.erase(ov);
            previous_.ResetEvent(ov->hEvent);
        }
        if (!rx_.empty() || ov == nullptr) { // a blocking read returns what is there (its time-out)
            const DWORD n = static_cast<DWORD>(std::min<size_t>(len, rx_.size()));
            std::memcpy(buf, rx_.data(), n);
            rx_.erase(0, n);
            if (got != nullptr)
                *got = n;
            if (ov != nullptr)
                complete(Op{Op::Read, h, ov, buf, len, nullptr, 0}, 0, n);
            return TRUE;
        }
        pending_.push_back(Op{Op::Read, h, ov, buf, len, nullptr, GetCurrentThreadId()});
        previous_.SetLastError(ERROR_IO_PENDING);
        return FALSE;
    });

    seam.on<&Api::WriteFile>([this](HANDLE h, LPCVOID data, DWORD len, LPDWORD put, LPOVERLAPPED ov) -> BOOL {
        if (!isDevice(h))
            return previous_.WriteFile(h, data, len, put, ov);
        std::lock_guard<std::mutex> g(lock_);
        writeSizes_.push_back(len);
        DWORD error = 0;
        if (put != nullptr)
            *put = 0;
        if (shouldFail("WriteFile", &error)) {
            previous_.SetLastError(error);
            return FALSE;
        }
        if (ov != nullptr) {
            done_.erase(ov);
            previous_.ResetEvent(ov->hEvent);
        }
        if (holdWrites_) {
            if (ov == nullptr)
                return TRUE; // the write time-out expires with nothing taken
            pending_.push_back(
                Op{Op::Write, h, ov, const_cast<void *>(data), len, nullptr, GetCurrentThreadId()});
            previous_.SetLastError(ERROR_IO_PENDING);
            return FALSE;
        }
        tx_.append(static_cast<const char *>(data), len);
        if (put != nullptr)
            *put = len;
        if (ov != nullptr)
            complete(Op{Op::Write, h, ov, const_cast<void *>(data), len, nullptr, 0}, 0, len);
        return TRUE;
    });

    seam.on<&Api::GetOverlappedResult>([this](HANDLE h, LPOVERLAPPED ov, LPDWORD n, BOOL wait) -> BOOL {
        if (!isDevice(h)) {
            // A handle closed under a pending operation: its result is still ours to give.
            std::unique_lock<std::mutex> g(lock_);
            if (done_.find(ov) == done_.end()) {
                g.unlock();
                return previous_.GetOverlappedResult(h, ov, n, wait);
            }
        }
        std::unique_lock<std::mutex> g(lock_);
        auto isPending = [&] {
            return std::any_of(pending_.begin(), pending_.end(), [&](const Op &op) { return op.ov == ov; });
        };
        if (isPending()) {
            if (!wait) {
                previous_.SetLastError(ERROR_IO_INCOMPLETE);
                return FALSE;
            }
            doneSignal().wait(g, [&] { return !isPending(); });
        }
        auto it = done_.find(ov);
        const Done d = it != done_.end() ? it->second : Done{0, 0};
        if (n != nullptr)
            *n = d.bytes;
        if (d.error != 0) {
            previous_.SetLastError(d.error);
            return FALSE;
        }
        return TRUE;
    });

    seam.on<&Api::CancelIo>([this](HANDLE h) -> BOOL {
        if (!isDevice(h))
            return previous_.CancelIo(h);
        std::lock_guard<std::mutex> g(lock_);
        record("CancelIo");
        const DWORD me = GetCurrentThreadId();
        for (size_t i = 0; i < pending_.size();) {
            if (pending_[i].thread == me) {
                complete(Op(pending_[i]), ERROR_OPERATION_ABORTED, 0);
            } else {
                ++i;
            }
        }
        return TRUE;
    });

    seam.on<&Api::WaitCommEvent>([this](HANDLE h, LPDWORD mask, LPOVERLAPPED ov) -> BOOL {
        if (!isDevice(h))
            return previous_.WaitCommEvent(h, mask, ov);
        std::lock_guard<std::mutex> g(lock_);
        record("WaitCommEvent");
        DWORD error = 0;
        if (shouldFail("WaitCommEvent", &error)) {
            previous_.SetLastError(error);
            return FALSE;
        }
        if (ov != nullptr) {
            done_.erase(ov);
            previous_.ResetEvent(ov->hEvent);
        }
        if ((events_ & mask_) != 0 || ov == nullptr) {
            *mask = events_ & mask_;
            events_ = 0;
            if (ov != nullptr)
                complete(Op{Op::Wait, h, ov, nullptr, 0, mask, 0}, 0, 0);
            return TRUE;
        }
        pending_.push_back(Op{Op::Wait, h, ov, nullptr, 0, mask, GetCurrentThreadId()});
        previous_.SetLastError(ERROR_IO_PENDING);
        return FALSE;
    });

    seam.on<&Api::SetCommMask>([this](HANDLE h, DWORD mask) -> BOOL {
        if (!isDevice(h))
            return previous_.SetCommMask(h, mask);
        std::lock_guard<std::mutex> g(lock_);
        record("SetCommMask " + hex(mask));
        DWORD error = 0;
        if (shouldFail("SetCommMask", &error)) {
            previous_.SetLastError(error);
            return FALSE;
        }
        mask_ = mask;
        events_ &= mask;
        // A wait in progress completes with an empty mask.
        for (const Op &op : pending_) {
            if (op.kind != Op::Wait)
                continue;
            *op.mask = 0;
            complete(Op(op), 0, 0);
            break;
        }
        return TRUE;
    });

    seam.on<&Api::ClearCommError>([this](HANDLE h, LPDWORD errors, LPCOMSTAT st) -> BOOL {
        if (!isDevice(h))
            return previous_.ClearCommError(h, errors, st);
        std::lock_guard<std::mutex> g(lock_);
        record("ClearCommError");
        DWORD error = 0;
        if (shouldFail("ClearCommError", &error)) {
            previous_.SetLastError(error);
            return FALSE;
        }
        if (errors != nullptr)
            *errors = errors_;
        errors_ = 0;
        if (st != nullptr) {
            *st = COMSTAT{};
            st->fCtsHold = ctsHold_;
            st->fDsrHold = dsrHold_;
            st->fXoffHold = xoffHold_;
            st->cbInQue = static_cast<DWORD>(rx_.size());
        }
        return TRUE;
    });

    seam.on<&Api::EscapeCommFunction>([this](HANDLE h, DWORD f) -> BOOL {
        if (!isDevice(h))
            return previous_.EscapeCommFunction(h, f);
        std::lock_guard<std::mutex> g(lock_);
        record("EscapeCommFunction " + std::to_string(f));
        DWORD error = 0;
        if (shouldFail("EscapeCommFunction", &error)) {
            previous_.SetLastError(error);
            return FALSE;
        }
        if (f == SETDTR)
            dtr_ = true;
        if (f == CLRDTR)
            dtr_ = false;
        if (f == SETRTS)
            rts_ = true;
        if (f == CLRRTS)
            rts_ = false;
        return TRUE;
    });

    seam.on<&Api::GetCommModemStatus>([this](HANDLE h, LPDWORD status) -> BOOL {
        if (!isDevice(h))
            return previous_.GetCommModemStatus(h, status);
        std::lock_guard<std::mutex> g(lock_);
        DWORD error = 0;
        if (shouldFail("GetCommModemStatus", &error)) {
            previous_.SetLastError(error);
            return FALSE;
        }
        *status = modem_;
        return TRUE;
    });

    seam.on<&Api::GetCommState>([this](HANDLE h, LPDCB d) -> BOOL {
        if (!isDevice(h))
            return previous_.GetCommState(h, d);
        std::lock_guard<std::mutex> g(lock_);
        record("GetCommState");
        DWORD error = 0;
        if (shouldFail("GetCommState", &error)) {
            previous_.SetLastError(error);
            return FALSE;
        }
        *d = dcb_;
        return TRUE;
    });

    seam.on<&Api::SetCommState>([this](HANDLE h, LPDCB d) -> BOOL {
        if (!isDevice(h))
            return previous_.SetCommState(h, d);
        std::lock_guard<std::mutex> g(lock_);
        record("SetCommState");
        DWORD error = 0;
        if (shouldFail("SetCommState", &error)) {
            previous_.SetLastError(error);
            return FALSE;
        }
        dcb_ = *d;
        statesSet_.push_back(*d);
        // The lines follow the DCB's line controls, as a driver drives them.
        dtr_ = d->fDtrControl != DTR_CONTROL_DISABLE;
        rts_ = d->fRtsControl != RTS_CONTROL_DISABLE;
        return TRUE;
    });

    seam.on<&Api::GetCommTimeouts>([this](HANDLE h, LPCOMMTIMEOUTS t) -> BOOL {
        if (!isDevice(h))
            return previous_.GetCommTimeouts(h, t);
        std::lock_guard<std::mutex> g(lock_);
        *t = timeouts_;
        return TRUE;
    });

    seam.on<&Api::SetCommTimeouts>([this](HANDLE h, LPCOMMTIMEOUTS t) -> BOOL {
        if (!isDevice(h))
            return previous_.SetCommTimeouts(h, t);
        std::lock_guard<std::mutex> g(lock_);
        record("SetCommTimeouts");
        DWORD error = 0;
        if (shouldFail("SetCommTimeouts", &error)) {
            previous_.SetLastError(error);
            return FALSE;
        }
        timeouts_ = *t;
        return TRUE;
    });

    seam.on<&Api::PurgeComm>([this](HANDLE h, DWORD flags) -> BOOL {
        if (!isDevice(h))
            return previous_.PurgeComm(h, flags);
        std::lock_guard<std::mutex> g(lock_);
        record("PurgeComm " + std::to_string(flags));
        DWORD error = 0;
        if (shouldFail("PurgeComm", &error)) {
            previous_.SetLastError(error);
            return FALSE;
        }
        if (flags & PURGE_RXCLEAR)
            rx_.clear();
        return TRUE;
    });

    seam.on<&Api::DeviceIoControl>([this](HANDLE h, DWORD code, LPVOID in, DWORD inLen, LPVOID out,
                                          DWORD outLen, LPDWORD ret, LPOVERLAPPED ov) -> BOOL {
        if (!isDevice(h))
            return previous_.DeviceIoControl(h, code, in, inLen, out, outLen, ret, ov);
        std::lock_guard<std::mutex> g(lock_);
        record("DeviceIoControl " + hex(code));
        ioctls_.push_back({code, std::string(static_cast<const char *>(in), in ? inLen : 0), outLen});
        if (refuseIoctls_) {
            previous_.SetLastError(ERROR_INVALID_FUNCTION);
            return FALSE;
        }
        DWORD n = 0;
        switch (code) {
        case 0x00160004: // query information: the status byte
            if (outLen < 1)
                break;
            *static_cast<unsigned char *>(out) = parStatus_;
            n = 1;
            break;
        case 0x00160008:
            break;       // set information
        case 0x0016000C: // device id
            n = static_cast<DWORD>(std::min<size_t>(outLen, deviceId_.size()));
            std::memcpy(out, deviceId_.data(), n);
            break;
        case 0x00160010: { // device id size
            if (outLen < 4)
                break;
            const DWORD size = static_cast<DWORD>(deviceId_.size());
            std::memcpy(out, &size, 4);
            n = 4;
            break;
        }
        default:
            previous_.SetLastError(ERROR_INVALID_FUNCTION);
            return FALSE;
        }
        if (ret != nullptr)
            *ret = n;
        return TRUE;
    });

    seam.on<&Api::QueryDosDeviceA>([this](LPCSTR name, LPSTR buf, DWORD size) -> DWORD {
        std::lock_guard<std::mutex> g(lock_);
        record(std::string("QueryDosDeviceA ") + (name ? name : ""));
        auto it = dosTargets_.find(name ? name : "");
        if (it == dosTargets_.end()) {
            previous_.SetLastError(ERROR_FILE_NOT_FOUND);
            return 0;
        }
        std::string list;
        for (const auto &t : it->second)
            list += t + '\0';
        list += '\0';
        if (list.size() > size) {
            previous_.SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return 0;
        }
        std::memcpy(buf, list.data(), list.size());
        return static_cast<DWORD>(list.size());
    });

    seam.on<&Api::DefineDosDeviceA>([this](DWORD flags, LPCSTR name, LPCSTR target) -> BOOL {
        std::lock_guard<std::mutex> g(lock_);
        const std::string n = name ? name : "";
        record("DefineDosDeviceA " + std::to_string(flags) + " " + n + " " + (target ? target : "-"));
        if (flags & DDD_REMOVE_DEFINITION) {
            if (aliases_.erase(n) == 0) {
                previous_.SetLastError(ERROR_FILE_NOT_FOUND);
                return FALSE;
            }
            return TRUE;
        }
        aliases_[n] = target ? target : "";
        return TRUE;
    });

    seam.on<&Api::GetVersionExA>([this](LPOSVERSIONINFOA v) -> BOOL {
        std::lock_guard<std::mutex> g(lock_);
        v->dwPlatformId = nt_ ? VER_PLATFORM_WIN32_NT : VER_PLATFORM_WIN32_WINDOWS;
        v->dwMajorVersion = nt_ ? 6 : 4;
        v->dwMinorVersion = nt_ ? 1 : 10;
        v->dwBuildNumber = nt_ ? 7601 : 2222;
        return TRUE;
    });
}

} // namespace ptl::test
