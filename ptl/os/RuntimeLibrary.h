// An optional library that is loaded by name at run time, never linked: loaded at the first call that needs
// it and kept for the life of the process; a failed load is tried again at the next call, so a library
// installed later is found. Each function is looked up at each call.
#pragma once

#include <windows.h>

#include <mutex>

#include "os/Syscalls.h"

namespace ptl::os {

class RuntimeLibrary {
public:
    // load: tries the library's places in order through the seam; null when none holds it.
    explicit RuntimeLibrary(HMODULE (*load)()) : load_(load) {}
    RuntimeLibrary(const RuntimeLibrary &) = delete;
    RuntimeLibrary &operator=(const RuntimeLibrary &) = delete;

    // The named function; null when the library or the function is missing.
    FARPROC proc(const char *name) {
        HMODULE m = module();
        return m != nullptr ? os::GetProcAddress(m, name) : nullptr;
    }

    // Calls the named __stdcall function with the arguments as given, or answers missing without it.
    template <class R, class... A> R call(const char *name, R missing, A... a) {
        const auto f = reinterpret_cast<R(WINAPI *)(A...)>(proc(name));
        return f != nullptr ? f(a...) : missing;
    }

    // The same for a function whose caller cleans the stack (__cdecl).
    template <class R, class... A> R callC(const char *name, R missing, A... a) {
        const auto f = reinterpret_cast<R(__cdecl *)(A...)>(proc(name));
        return f != nullptr ? f(a...) : missing;
    }

    // Loads the library if needed; false when it cannot be found.
    bool present() { return module() != nullptr; }

    // For tests: the next call loads again (a module already loaded stays loaded).
    void forget() {
        std::lock_guard<std::mutex> g(lock_);
        module_ = nullptr;
    }

private:
    HMODULE module() {
        std::lock_guard<std::mutex> g(lock_);
        if (module_ == nullptr)
            module_ = load_();
        return module_;
    }

    HMODULE (*const load_)();
    std::mutex lock_;
    HMODULE module_ = nullptr;
};

} // namespace ptl::os
