#include "support/Ledger.h"

#include <cstdio>
#include <functional>
#include <map>
#include <mutex>
#include <utility>

namespace ptl::test::ledger {

namespace {

// Open objects keyed by (kind, value): a handle value can be reused by the system after it is closed,
// so the kind is part of the key and a close removes whichever kind holds the value.
struct Book {
    std::mutex lock;
    std::map<std::pair<int, uintptr_t>, int> open;

    void add(os::Res kind, uintptr_t value) {
        std::lock_guard<std::mutex> g(lock);
        ++open[{static_cast<int>(kind), value}];
    }
    bool remove(os::Res kind, uintptr_t value) {
        std::lock_guard<std::mutex> g(lock);
        auto it = open.find({static_cast<int>(kind), value});
        if (it == open.end())
            return false;
        if (--it->second == 0)
            open.erase(it);
        return true;
    }
};

Book &book() {
    static Book *b = new Book; // never destroyed: ports may close handles during process exit
    return *b;
}

// The default entries that create or close something, wrapped so that the library's calls are counted.
template <auto F, class T> struct Counted;
template <auto F, class R, class... A> struct Counted<F, R(WINAPI *)(A...)> {
    static R WINAPI call(A... a) { return counted<F>(os::realApi().*F, a...); }
};

#define PTL_LEDGER_ENTRIES(X)                                                                                \
    PTL_SYSCALLS_OBJECTS(X)                                                                                  \
    X(OpenPrinterA)                                                                                          \
    X(ClosePrinter)                                                                                          \
    X(DefineDosDeviceA)

[[maybe_unused]] const bool installed = [] {
#define PTL_LEDGER_WRAP(name) os::api().name = &Counted<&os::Api::name, decltype(os::Api::name)>::call;
    PTL_LEDGER_ENTRIES(PTL_LEDGER_WRAP)
#undef PTL_LEDGER_WRAP
    return true;
}();

} // namespace

int &depth() {
    static thread_local int d = 0;
    return d;
}

void opened(os::Res kind, uintptr_t value) {
    book().add(kind, value);
}

void closed(os::Res kind, uintptr_t value) {
    book().remove(kind, value);
}

void closedHandle(uintptr_t value) {
    if (!book().remove(os::Res::Handle, value))
        book().remove(os::Res::Thread, value);
}

// Aliases are keyed by their name: the device name text decides what is removed.
void dosDevice(DWORD flags, const char *device) {
    const uintptr_t key = std::hash<std::string>{}(device);
    if (flags & DDD_REMOVE_DEFINITION)
        closed(os::Res::DosDevice, key);
    else
        opened(os::Res::DosDevice, key);
}

} // namespace ptl::test::ledger

namespace ptl::os {

int openCount(Res kind) {
    auto &b = test::ledger::book();
    std::lock_guard<std::mutex> g(b.lock);
    int n = 0;
    for (const auto &[key, count] : b.open)
        if (key.first == static_cast<int>(kind))
            n += count;
    return n;
}

int openTotal() {
    int n = 0;
    for (int kind = 0; kind < static_cast<int>(Res::Count_); ++kind)
        n += openCount(static_cast<Res>(kind));
    return n;
}

std::string openReport() {
    static const char *const kNames[] = {"Handle",  "Thread", "Module", "Key",
                                         "Printer", "Window", "Socket", "DosDevice"};
    auto &b = test::ledger::book();
    std::lock_guard<std::mutex> g(b.lock);
    std::string out;
    for (const auto &[key, count] : b.open) {
        char line[64];
        snprintf(line, sizeof line, "%s 0x%08lX x%d\n", kNames[key.first],
                 static_cast<unsigned long>(key.second), count);
        out += line;
    }
    return out;
}

} // namespace ptl::os
