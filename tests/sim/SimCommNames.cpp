// The simulated device's parallel-driver requests and the namespace around it: DOS names, private
// aliases and the system family.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "sim/SimComm.h"

namespace ptl::test {

void SimComm::installDriver(Seam &seam) {
    route<&os::Api::DeviceIoControl>(
        seam, "DeviceIoControl",
        [this](DWORD code, LPVOID in, DWORD inLen, LPVOID out, DWORD outLen, LPDWORD ret,
               LPOVERLAPPED) -> BOOL {
            char request[64];
            snprintf(request, sizeof request, "%08lX in=%lu:%02X out=%lu", code, in ? inLen : 0,
                     in && inLen ? *static_cast<unsigned char *>(in) : 0u, outLen);
            ioctls_.push_back(request);
            const DWORD idSize = static_cast<DWORD>(deviceId_.size());
            DWORD n = 0;
            if (code == 0x00160004 && outLen >= 1) { // query information: the status byte
                *static_cast<unsigned char *>(out) = parStatus_;
                n = 1;
            } else if (code == 0x0016000C) { // device id
                n = std::min(outLen, idSize);
                std::memcpy(out, deviceId_.data(), n);
            } else if (code == 0x00160010 && outLen >= 4) { // device id size
                std::memcpy(out, &idSize, 4);
                n = 4;
            } else if (code != 0x00160008) { // set information takes its byte and answers nothing
                return fail(ERROR_INVALID_FUNCTION);
            }
            if (ret != nullptr)
                *ret = n;
            return TRUE;
        });
}

void SimComm::installNames(Seam &seam) {
    using os::Api;
    seam.on<&Api::QueryDosDeviceA>([this](LPCSTR name, LPSTR buf, DWORD size) -> DWORD {
        std::lock_guard<std::mutex> g(lock_);
        calls_.push_back(std::string("QueryDosDeviceA ") + (name ? name : ""));
        auto it = dosTargets_.find(name ? name : "");
        if (it == dosTargets_.end())
            return fail(ERROR_FILE_NOT_FOUND);
        std::string list;
        for (const auto &t : it->second)
            list += t + '\0';
        list += '\0';
        if (list.size() > size)
            return fail(ERROR_INSUFFICIENT_BUFFER);
        // NOLINTNEXTLINE(bugprone-not-null-terminated-result): the list ends in its two NULs
        std::memcpy(buf, list.data(), list.size());
        return static_cast<DWORD>(list.size());
    });
    seam.on<&Api::DefineDosDeviceA>([this](DWORD flags, LPCSTR name, LPCSTR target) -> BOOL {
        std::lock_guard<std::mutex> g(lock_);
        const std::string n = name ? name : "";
        calls_.push_back("DefineDosDeviceA " + std::to_string(flags) + " " + n + " " +
                         (target ? target : "-"));
        if (!(flags & DDD_REMOVE_DEFINITION))
            aliases_[n] = target ? target : "";
        else if (aliases_.erase(n) == 0)
            return fail(ERROR_FILE_NOT_FOUND);
        return TRUE;
    });
    seam.on<&Api::GetVersionExA>([this](LPOSVERSIONINFOA v) -> BOOL {
        std::lock_guard<std::mutex> g(lock_);
        v->dwPlatformId = nt_ ? VER_PLATFORM_WIN32_NT : VER_PLATFORM_WIN32_WINDOWS;
        v->dwMajorVersion = nt_ ? 6 : 4;
        return TRUE;
    });
}

} // namespace ptl::test
