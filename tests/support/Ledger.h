// What the library holds open through the seam, counted in test processes only: every call through an
// entry that creates or closes something (a handle, thread, module, key, printer, window, socket or DOS
// device alias) is noted, so that a test can check that a failed claim or a release leaves nothing behind.
// The default entries are wrapped at start-up (Ledger.cpp) and every Seam replacement counts the same way.
#pragma once

#include <cstdint>
#include <string>
#include <tuple>
#include <type_traits>

#include "os/Syscalls.h"

namespace ptl::os {

enum class Res { Handle, Thread, Module, Key, Printer, Window, Socket, DosDevice, Count_ };

// Number of objects of one kind opened through the seam and not yet closed.
int openCount(Res kind);
// All kinds together.
int openTotal();
// One line per object still open ("Handle 0x00000040 x1"), for test failure messages.
std::string openReport();

} // namespace ptl::os

namespace ptl::test::ledger {

void opened(os::Res kind, uintptr_t value);
void closed(os::Res kind, uintptr_t value);
// CloseHandle closes events, files and threads alike.
void closedHandle(uintptr_t value);
void dosDevice(DWORD flags, const char *device);

// Calls through the seam nested in the current thread's outermost one: only that one is counted, as the
// library makes it. What a replacement does inside (a simulator making a real event to stand for a device)
// is the simulator's own business.
int &depth();

template <class T> uintptr_t value(T v) {
    if constexpr (std::is_pointer_v<T>)
        return reinterpret_cast<uintptr_t>(v);
    else
        return static_cast<uintptr_t>(v);
}

template <auto F, auto G> constexpr bool is() {
    if constexpr (std::is_same_v<decltype(F), decltype(G)>)
        return F == G;
    else
        return false;
}

// What one call through entry F opened or closed, from its result and arguments.
template <auto F, class R, class... A> void note(R r, A... a) {
    using os::Api;
    using os::Res;
    constexpr Res none = Res::Count_;
    // Entries that hand back what they made (null, INVALID_HANDLE_VALUE or INVALID_SOCKET when they fail),
    // and entries that close their first argument.
    constexpr Res made =
        is<F, &Api::CreateFileA>() || is<F, &Api::CreateEventA>() || is<F, &Api::WSACreateEvent>()
            ? Res::Handle
        : is<F, &Api::CreateThread>()    ? Res::Thread
        : is<F, &Api::LoadLibraryA>()    ? Res::Module
        : is<F, &Api::CreateWindowExA>() ? Res::Window
        : is<F, &Api::socket>()          ? Res::Socket
                                         : none;
    constexpr Res gone = is<F, &Api::WSACloseEvent>()   ? Res::Handle
                         : is<F, &Api::FreeLibrary>()   ? Res::Module
                         : is<F, &Api::RegCloseKey>()   ? Res::Key
                         : is<F, &Api::ClosePrinter>()  ? Res::Printer
                         : is<F, &Api::DestroyWindow>() ? Res::Window
                         : is<F, &Api::closesocket>()   ? Res::Socket
                                                        : none;
    const std::tuple<A...> args(a...);
    if constexpr (made != none) {
        if (value(r) != 0 && value(r) != value(INVALID_HANDLE_VALUE))
            opened(made, value(r));
    } else if constexpr (gone != none) {
        if ((r == 0) == (gone == Res::Key || gone == Res::Socket)) // those two answer 0 for success
            closed(gone, value(std::get<0>(args)));
    } else if constexpr (is<F, &Api::RegOpenKeyExA>()) {
        if (r == ERROR_SUCCESS && std::get<4>(args) != nullptr)
            opened(Res::Key, value(*std::get<4>(args)));
    } else if constexpr (is<F, &Api::OpenPrinterA>()) {
        if (r && std::get<1>(args) != nullptr)
            opened(Res::Printer, value(*std::get<1>(args)));
    } else if constexpr (is<F, &Api::CloseHandle>()) {
        if (r)
            closedHandle(value(std::get<0>(args)));
    } else if constexpr (is<F, &Api::DefineDosDeviceA>()) {
        if (r && std::get<1>(args) != nullptr)
            dosDevice(std::get<0>(args), std::get<1>(args));
    }
}

// Calls fn(a...) for entry F and notes what it opened or closed when it is the outermost call.
template <auto F, class Fn, class... A> auto counted(const Fn &fn, A... a) {
    struct Nesting {
        Nesting() { ++depth(); }
        ~Nesting() { --depth(); }
    };
    if constexpr (std::is_void_v<decltype(fn(a...))>) {
        Nesting n;
        fn(a...);
    } else {
        decltype(fn(a...)) r;
        {
            Nesting n;
            r = fn(a...);
        }
        if (depth() == 0)
            note<F>(r, a...);
        return r;
    }
}

} // namespace ptl::test::ledger
