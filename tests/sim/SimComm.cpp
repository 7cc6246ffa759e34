// The simulated device's state, its overlapped data path and its line settings.
#include "sim/SimComm.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>

namespace ptl::test {

namespace {

std::condition_variable &doneSignal() {
    static std::condition_variable cv;
    return cv;
}

} // namespace

SimComm::SimComm(Seam &seam, std::string devicePath)
    : previous_(os::api()), devicePath_(std::move(devicePath)) {
    dcb_.DCBlength = sizeof dcb_;
    installIo(seam);
    installComm(seam);
    installDriver(seam);
    installNames(seam);
}

SimComm::~SimComm() {
    // A test that keeps a port claimed past the simulator would be a test bug: nothing is left pending.
    std::lock_guard<std::mutex> g(lock_);
    abortWhere([](const Op &) { return true; }, ERROR_OPERATION_ABORTED);
    if (open_ != nullptr)
        previous_.CloseHandle(open_);
}

// --- Configuration and observation ---------------------------------------------------------------

void SimComm::feed(const std::string &bytes) {
    change([&] {
        rx_ += bytes;
        serveReads();
        if (!bytes.empty())
            raise(EV_RXCHAR);
    });
}

void SimComm::lineError(DWORD commErrors) {
    change([&] {
        errors_ |= commErrors;
        raise(EV_ERR);
    });
}

void SimComm::setHold(bool cts, bool dsr, bool xoff) {
    change([&] {
        hold_.fCtsHold = cts;
        hold_.fDsrHold = dsr;
        hold_.fXoffHold = xoff;
    });
}

void SimComm::holdWrites(bool hold) {
    change([&] {
        holdWrites_ = hold;
        if (!hold)
            completeWhere([](const Op &op) { return op.kind == Op::Write; }, 0,
                          [this](const Op &op) {
                              tx_.append(static_cast<const char *>(op.buffer), op.len);
                              return op.len;
                          });
    });
}

void SimComm::failPending(DWORD error) {
    change([&] { abortWhere([](const Op &op) { return op.kind != Op::Wait; }, error); });
}

int SimComm::count(const std::string &call) {
    auto all = calls();
    return static_cast<int>(std::count(all.begin(), all.end(), call));
}

std::vector<DWORD> SimComm::numbersOf(const std::string &entry) {
    std::vector<DWORD> numbers;
    for (const auto &c : calls())
        if (c.rfind(entry + " ", 0) == 0)
            numbers.push_back(static_cast<DWORD>(std::stoul(c.substr(entry.size() + 1))));
    return numbers;
}

size_t SimComm::pendingWrites() {
    std::lock_guard<std::mutex> g(lock_);
    return static_cast<size_t>(
        std::count_if(pending_.begin(), pending_.end(), [](const Op &op) { return op.kind == Op::Write; }));
}

// --- Internals -----------------------------------------------------------------------------------

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

BOOL SimComm::fail(DWORD error) {
    previous_.SetLastError(error);
    return FALSE;
}

void SimComm::begin(OVERLAPPED *ov) {
    if (ov == nullptr)
        return;
    done_.erase(ov);
    previous_.ResetEvent(ov->hEvent);
}

BOOL SimComm::pend(Op op) {
    op.thread = GetCurrentThreadId();
    pending_.push_back(op);
    return fail(ERROR_IO_PENDING);
}

void SimComm::complete(Op op, DWORD error, DWORD bytes) {
    done_[op.ov] = {error, bytes};
    op.ov->Internal = error;
    op.ov->InternalHigh = bytes;
    auto it = std::find_if(pending_.begin(), pending_.end(),
                           [&](const Op &p) { return p.ov == op.ov && p.kind == op.kind; });
    if (it != pending_.end())
        pending_.erase(it);
    if (op.ov->hEvent != nullptr)
        previous_.SetEvent(op.ov->hEvent);
    doneSignal().notify_all();
}

template <class P, class M> void SimComm::completeWhere(P match, DWORD error, M moved) {
    for (size_t i = 0; i < pending_.size();) {
        const Op op = pending_[i];
        if (match(op))
            complete(op, error, moved(op)); // takes it out of pending_
        else
            ++i;
    }
}

void SimComm::abortWhere(bool (*match)(const Op &), DWORD error) {
    completeWhere(match, error, [](const Op &) { return DWORD{0}; });
}

DWORD SimComm::take(void *to, DWORD len) {
    const DWORD n = static_cast<DWORD>(std::min<size_t>(len, rx_.size()));
    std::memcpy(to, rx_.data(), n);
    rx_.erase(0, n);
    return n;
}

void SimComm::serveReads() {
    completeWhere([this](const Op &op) { return op.kind == Op::Read && !rx_.empty(); }, 0,
                  [this](const Op &op) { return take(op.buffer, op.len); });
}

bool SimComm::completeWait(DWORD events) {
    auto wait =
        std::find_if(pending_.begin(), pending_.end(), [](const Op &op) { return op.kind == Op::Wait; });
    if (wait == pending_.end())
        return false;
    *wait->mask = events;
    complete(Op(*wait), 0, 0);
    return true;
}

void SimComm::raise(DWORD events) {
    const DWORD wanted = events & mask_;
    if (wanted != 0 && !completeWait(wanted))
        events_ |= wanted;
}

// --- Data path -----------------------------------------------------------------------------------

void SimComm::installIo(Seam &seam) {
    using os::Api;
    seam.on<&Api::CreateFileA>([this](LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                                      DWORD disposition, DWORD flags, HANDLE templ) -> HANDLE {
        const std::string p = path ? path : "";
        std::unique_lock<std::mutex> g(lock_);
        const bool device = p.rfind("\\\\.\\", 0) == 0;
        if (!device) {
            g.unlock();
            return previous_.CreateFileA(path, access, share, sa, disposition, flags, templ);
        }
        calls_.push_back("CreateFileA " + p);
        auto alias = aliases_.find(p.substr(4));
        DWORD error = ERROR_FILE_NOT_FOUND; // another device: absent here
        if ((p == devicePath_ || (alias != aliases_.end() && alias->second == "\\Device\\Serial2")) &&
            !shouldFail("CreateFileA", &error)) {
            if (open_ == nullptr) // opened without sharing
                return open_ = previous_.CreateEventA(nullptr, TRUE, FALSE, nullptr); // a real handle
            error = ERROR_ACCESS_DENIED;
        }
        fail(error);
        return INVALID_HANDLE_VALUE;
    });

    seam.on<&Api::CloseHandle>([this](HANDLE h) -> BOOL {
        change([&] {
            if (h != nullptr && h == open_) {
                calls_.push_back("CloseHandle");
                abortWhere([](const Op &) { return true; }, ERROR_OPERATION_ABORTED);
                open_ = nullptr;
            }
        });
        return previous_.CloseHandle(h);
    });

    route<&Api::ReadFile>(seam, "ReadFile",
                          [this](LPVOID buf, DWORD len, LPDWORD got, LPOVERLAPPED ov) -> BOOL {
                              if (got != nullptr)
                                  *got = 0;
                              begin(ov);
                              if (rx_.empty() && ov != nullptr)
                                  return pend(Op{Op::Read, ov, buf, len, nullptr, 0});
                              // A blocking read returns what is there (its time-out).
                              const DWORD n = take(buf, len);
                              if (got != nullptr)
                                  *got = n;
                              if (ov != nullptr)
                                  complete(Op{Op::Read, ov, buf, len, nullptr, 0}, 0, n);
                              return TRUE;
                          });

    route<&Api::WriteFile>(seam, "WriteFile",
                           [this](LPCVOID data, DWORD len, LPDWORD put, LPOVERLAPPED ov) -> BOOL {
                               if (put != nullptr)
                                   *put = 0;
                               begin(ov);
                               const Op op{Op::Write, ov, const_cast<void *>(data), len, nullptr, 0};
                               if (holdWrites_) // a blocking write's time-out expires with nothing taken
                                   return ov == nullptr ? TRUE : pend(op);
                               tx_.append(static_cast<const char *>(data), len);
                               if (put != nullptr)
                                   *put = len;
                               if (ov != nullptr)
                                   complete(op, 0, len);
                               return TRUE;
                           });

    route<&Api::WaitCommEvent>(seam, "WaitCommEvent", [this](LPDWORD mask, LPOVERLAPPED ov) -> BOOL {
        begin(ov);
        if ((events_ & mask_) == 0 && ov != nullptr)
            return pend(Op{Op::Wait, ov, nullptr, 0, mask, 0});
        *mask = events_ & mask_;
        events_ = 0;
        if (ov != nullptr)
            complete(Op{Op::Wait, ov, nullptr, 0, mask, 0}, 0, 0);
        return TRUE;
    });

    seam.on<&Api::GetOverlappedResult>([this](HANDLE h, LPOVERLAPPED ov, LPDWORD n, BOOL wait) -> BOOL {
        std::unique_lock<std::mutex> g(lock_);
        // A handle closed under a pending operation: its result is still ours to give.
        if ((h == nullptr || h != open_) && done_.find(ov) == done_.end()) {
            g.unlock();
            return previous_.GetOverlappedResult(h, ov, n, wait);
        }
        auto isPending = [&] {
            return std::any_of(pending_.begin(), pending_.end(), [&](const Op &op) { return op.ov == ov; });
        };
        if (isPending()) {
            if (!wait)
                return fail(ERROR_IO_INCOMPLETE);
            doneSignal().wait(g, [&] { return !isPending(); });
        }
        auto it = done_.find(ov);
        const Done d = it != done_.end() ? it->second : Done{0, 0};
        if (n != nullptr)
            *n = d.bytes;
        return d.error != 0 ? fail(d.error) : TRUE;
    });

    route<&Api::CancelIo>(seam, "CancelIo", [this]() -> BOOL {
        abortWhere([](const Op &op) { return op.thread == GetCurrentThreadId(); }, ERROR_OPERATION_ABORTED);
        return TRUE;
    });
}

// --- Line settings -------------------------------------------------------------------------------

void SimComm::installComm(Seam &seam) {
    using os::Api;
    route<&Api::SetCommMask>(seam, "SetCommMask", [this](DWORD mask) -> BOOL {
        mask_ = mask;
        events_ &= mask;
        completeWait(0); // a wait in progress completes with an empty mask
        return TRUE;
    });
    route<&Api::ClearCommError>(seam, "ClearCommError", [this](LPDWORD errors, LPCOMSTAT st) -> BOOL {
        if (errors != nullptr)
            *errors = errors_;
        errors_ = 0;
        if (st != nullptr) {
            *st = hold_;
            st->cbInQue = static_cast<DWORD>(rx_.size());
        }
        return TRUE;
    });
    route<&Api::EscapeCommFunction>(seam, "EscapeCommFunction", [this](DWORD f) -> BOOL {
        if (f == SETDTR || f == CLRDTR)
            dtr_ = f == SETDTR;
        if (f == SETRTS || f == CLRRTS)
            rts_ = f == SETRTS;
        return TRUE;
    });
    answer<&Api::GetCommModemStatus>(seam, "GetCommModemStatus", &SimComm::modem_);
    answer<&Api::GetCommState>(seam, "GetCommState", &SimComm::dcb_);
    route<&Api::SetCommState>(seam, "SetCommState", [this](LPDCB d) -> BOOL {
        dcb_ = *d;
        statesSet_.push_back(*d);
        // The lines follow the DCB's line controls, as a driver drives them.
        dtr_ = d->fDtrControl != DTR_CONTROL_DISABLE;
        rts_ = d->fRtsControl != RTS_CONTROL_DISABLE;
        return TRUE;
    });
    answer<&Api::GetCommTimeouts>(seam, "GetCommTimeouts", &SimComm::timeouts_);
    route<&Api::SetCommTimeouts>(seam, "SetCommTimeouts", [this](LPCOMMTIMEOUTS t) -> BOOL {
        timeouts_ = *t;
        return TRUE;
    });
    route<&Api::PurgeComm>(seam, "PurgeComm", [this](DWORD flags) -> BOOL {
        if (flags & PURGE_RXCLEAR)
            rx_.clear();
        return TRUE;
    });
}

} // namespace ptl::test
