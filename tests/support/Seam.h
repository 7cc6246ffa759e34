// Test helpers over the system-call seam: replace one entry with a lambda for the length of a scope,
// capture debug lines, and check that nothing was left open (Ledger.h).
//
//   ptl::test::Seam seam;
//   seam.on<&ptl::os::Api::WriteFile>([&](HANDLE, LPCVOID, DWORD n, LPDWORD w, LPOVERLAPPED) -> BOOL {
//       *w = n; return TRUE; });
//   seam.failNth<&ptl::os::Api::CreateEventA>(2, nullptr, ERROR_NOT_ENOUGH_MEMORY);
#pragma once

#include <atomic>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <type_traits>
#include <vector>

#include "os/Syscalls.h"
#include "support/Ledger.h"

namespace ptl::test {

namespace detail {

template <auto Field, class F> struct Trampoline;

// One static slot per table entry: the lambda the entry currently calls.
template <auto Field, class R, class... A> struct Trampoline<Field, R(__stdcall *)(A...)> {
    static inline std::function<R(A...)> fn;
    static R __stdcall call(A... a) { return ledger::counted<Field>(fn, a...); }
};

template <auto Field> using FieldType = std::remove_reference_t<decltype(std::declval<os::Api &>().*Field)>;

} // namespace detail

class Seam {
public:
    Seam() = default;
    ~Seam() {
        // Restore the table first so that no thread reaches a slot that is being cleared.
        guard_.reset();
        for (auto it = restores_.rbegin(); it != restores_.rend(); ++it)
            (*it)();
    }
    Seam(const Seam &) = delete;
    Seam &operator=(const Seam &) = delete;

    // Routes one entry to fn until the Seam goes out of scope.
    template <auto Field, class Fn> void on(Fn fn) {
        using T = detail::Trampoline<Field, detail::FieldType<Field>>;
        auto previous = std::move(T::fn);
        restores_.push_back([previous = std::move(previous)]() mutable { T::fn = std::move(previous); });
        T::fn = std::move(fn);
        os::api().*Field = &T::call;
        // The library keeps precautions for the real system that a simulation does not need.
        if constexpr (ledger::is<Field, &os::Api::OutputDebugStringA>())
            simulate(os::simulation().debugOutput);
        if constexpr (ledger::is<Field, &os::Api::DefineDosDeviceA>())
            simulate(os::simulation().dosDevices);
    }

    // The entry's value before this Seam changed anything: the real function or an outer Seam's fake.
    template <auto Field> detail::FieldType<Field> original() const { return guard_->saved.*Field; }

    // Makes the n-th call (1-based) of an entry fail with the given result and last error; the other calls
    // go to the original.
    template <auto Field, class V> void failNth(int n, V result, DWORD error) {
        auto counter = std::make_shared<std::atomic<int>>(0);
        auto orig = original<Field>();
        using T = detail::Trampoline<Field, detail::FieldType<Field>>;
        on<Field>(makeFailer(orig, counter, n, result, error, static_cast<decltype(T::fn) *>(nullptr)));
    }

    // Collects every debug line from now on.
    void captureDebug() {
        on<&os::Api::OutputDebugStringA>([this](LPCSTR s) {
            std::lock_guard<std::mutex> g(debugLock_);
            debug_.emplace_back(s ? s : "");
        });
    }
    std::vector<std::string> debugLines() {
        std::lock_guard<std::mutex> g(debugLock_);
        return debug_;
    }
    // Number of captured lines equal to text.
    int debugCount(const std::string &text) {
        std::lock_guard<std::mutex> g(debugLock_);
        int n = 0;
        for (const auto &l : debug_)
            n += l == text;
        return n;
    }
    bool sawDebug(const std::string &text) { return debugCount(text) > 0; }

private:
    void simulate(std::atomic<bool> &setting) {
        const bool was = setting.exchange(true);
        restores_.push_back([&setting, was] { setting = was; });
    }

    struct Saved {
        os::Api saved = os::api();
        ~Saved() { os::api() = saved; }
    };

    template <class Orig, class V, class R, class... A>
    static std::function<R(A...)> makeFailer(Orig orig, const std::shared_ptr<std::atomic<int>> &counter,
                                             int n, V result, DWORD error, std::function<R(A...)> *) {
        return [=](A... a) -> R {
            if (++*counter == n) {
                os::realApi().SetLastError(error);
                return static_cast<R>(result);
            }
            return orig(a...);
        };
    }

    std::unique_ptr<Saved> guard_ = std::make_unique<Saved>();
    std::vector<std::function<void()>> restores_;
    std::mutex debugLock_;
    std::vector<std::string> debug_;
};

// Time through the seam runs `factor` times faster for the Seam's life: the tick count, Sleep and the
// socket time-outs a port sets. Bounds of minutes then pass in a fraction of a second.
inline void fastClock(Seam &seam, DWORD factor) {
    const auto tick = seam.original<&os::Api::GetTickCount>();
    const auto sleep = seam.original<&os::Api::Sleep>();
    const auto setOption = seam.original<&os::Api::setsockopt>();
    const DWORD base = tick();
    seam.on<&os::Api::GetTickCount>([=]() -> DWORD { return base + (tick() - base) * factor; });
    seam.on<&os::Api::Sleep>([=](DWORD ms) { sleep(ms / factor); });
    seam.on<&os::Api::setsockopt>([=](SOCKET s, int level, int name, const char *value, int len) -> int {
        DWORD ms = 0;
        if (level != SOL_SOCKET || (name != SO_SNDTIMEO && name != SO_RCVTIMEO) || len != sizeof ms)
            return setOption(s, level, name, value, len);
        memcpy(&ms, value, sizeof ms);
        ms = ms / factor > 0 ? ms / factor : 1;
        return setOption(s, level, name, reinterpret_cast<const char *>(&ms), len);
    });
}
// A clock that moves only when the code under test pauses or waits out a time-out, so that seconds of
// pauses cost no real time. Sleep returns at once; a wait with a time-out looks at its objects for up to
// kLookMs of real time and, when none is signalled, moves the clock on by the whole time-out.
// GetTickCount reads the clock; pauses() lists every pause and time-out taken, in order.
class VirtualClock {
public:
    static constexpr DWORD kLookMs = 250;
    explicit VirtualClock(Seam &seam) {
        auto single = seam.original<&os::Api::WaitForSingleObject>();
        auto multiple = seam.original<&os::Api::WaitForMultipleObjects>();
        seam.on<&os::Api::GetTickCount>([this] { return now(); });
        seam.on<&os::Api::Sleep>([this](DWORD ms) { pass(ms); });
        seam.on<&os::Api::WaitForSingleObject>([this, single](HANDLE h, DWORD ms) {
            return wait(ms, [&](DWORD look) { return single(h, look); });
        });
        seam.on<&os::Api::WaitForMultipleObjects>(
            [this, multiple](DWORD n, const HANDLE *h, BOOL all, DWORD ms) {
                return wait(ms, [&](DWORD look) { return multiple(n, h, all, look); });
            });
    }
    DWORD now() {
        std::lock_guard<std::mutex> g(lock_);
        return now_;
    }
    std::vector<DWORD> pauses() {
        std::lock_guard<std::mutex> g(lock_);
        return pauses_;
    }

private:
    template <class Look> DWORD wait(DWORD ms, Look look) {
        if (ms == INFINITE)
            return look(INFINITE);
        const DWORD r = look(ms < kLookMs ? ms : kLookMs);
        if (r == WAIT_TIMEOUT)
            pass(ms);
        return r;
    }
    void pass(DWORD ms) {
        std::lock_guard<std::mutex> g(lock_);
        pauses_.push_back(ms);
        now_ += ms;
    }
    std::mutex lock_;
    DWORD now_ = 1000;
    std::vector<DWORD> pauses_;
};

// Counts of what the seam holds open, to compare before and after an operation.
struct OpenSnapshot {
    int total = os::openTotal();
    bool operator==(const OpenSnapshot &o) const { return total == o.total; }
};

} // namespace ptl::test
