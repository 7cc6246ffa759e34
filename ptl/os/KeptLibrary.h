// An optional library loaded by name at its first use and kept for the life of the process (never freed).
// Each function is looked up at each call; a missing library or function makes the call answer with the
// caller's "missing" value, so a system without the library only loses the ports that need it.
#pragma once

#include <windows.h>

#include <mutex>

namespace ptl::os {

class KeptLibrary {
public:
    explicit KeptLibrary(const char *name) : name_(name) {}
    KeptLibrary(const KeptLibrary &) = delete;
    KeptLibrary &operator=(const KeptLibrary &) = delete;

    // Null when the library cannot be loaded (it is tried again at the next call) or lacks the function.
    FARPROC lookup(const char *function);

    // Calls the function through the signature F, or answers missing without it.
    template <class F, class R, class... A> R callOr(R missing, const char *function, A... args) {
        auto f = reinterpret_cast<F>(lookup(function));
        return f != nullptr ? static_cast<R>(f(args...)) : missing;
    }

private:
    const char *const name_;
    std::mutex lock_;
    HMODULE module_ = nullptr;
};

} // namespace ptl::os
