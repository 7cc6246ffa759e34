#include "support/TestUtil.h"

#include <windows.h>

#include <fstream>
#include <sstream>

#include "core/Console.h"
#include "core/Log.h"
#include "sender/Sender.h"

namespace ptl::test {

std::string tempPath(const std::string &name) {
    static const std::string dir = [] {
        char base[MAX_PATH];
        GetTempPathA(sizeof base, base);
        std::string d = std::string(base) + "ptltest_" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(d.c_str(), nullptr);
        return d;
    }();
    return dir + "\\" + name;
}

std::string readFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool fileExists(const std::string &path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void writeFile(const std::string &path, const std::string &bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string jobFile(const std::string &name, const std::string &bytes) {
    const std::string path = tempPath(name);
    writeFile(path, bytes);
    return path;
}

// Binary mode: tests compare the bytes the library wrote, before any text-mode translation.
MemStream::MemStream() : file_(tmpfile()) {}
MemStream::~MemStream() {
    fclose(file_);
}
std::string MemStream::text() {
    fflush(file_);
    long end = ftell(file_);
    std::string s(static_cast<size_t>(end > 0 ? end : 0), '\0');
    rewind(file_);
    size_t n = fread(s.data(), 1, s.size(), file_);
    s.resize(n);
    fseek(file_, 0, SEEK_END);
    return s;
}

CaptureConsole::CaptureConsole() : previous_(consoleOut()) {
    consoleOut() = get();
}
CaptureConsole::~CaptureConsole() {
    consoleOut() = previous_;
}

bool waitUntil(const std::function<bool()> &pred, int timeoutMs) {
    const DWORD start = GetTickCount();
    while (!pred()) {
        if (GetTickCount() - start > static_cast<DWORD>(timeoutMs))
            return pred();
        Sleep(2);
    }
    return true;
}

std::string testBytes(size_t n, unsigned seed) {
    std::string s(n, '\0');
    uint32_t x = seed * 2654435761u + 1;
    for (auto &c : s) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 24);
    }
    return s;
}

LogSettings::LogSettings(uint32_t flags, const std::string &path) {
    HKEY key;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    DWORD v = flags;
    RegSetValueExA(key, kLogValue, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&v), sizeof v);
    if (path.empty())
        RegDeleteValueA(key, kLogPathValue);
    else
        RegSetValueExA(key, kLogPathValue, 0, REG_SZ, reinterpret_cast<const BYTE *>(path.c_str()),
                       static_cast<DWORD>(path.size() + 1));
    RegCloseKey(key);
}

LogSettings::~LogSettings() {
    clearLogSettings();
}

void clearLogSettings() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(key, kLogValue);
    RegDeleteValueA(key, kLogPathValue);
    RegCloseKey(key);
}

int sendRun(std::vector<std::string> args, std::string *out) {
    args.insert(args.begin(), "rawpush");
    std::vector<const char *> argv;
    for (const auto &a : args)
        argv.push_back(a.c_str());
    MemStream o, err;
    const int code = rawpush::run(static_cast<int>(argv.size()), argv.data(), o.get(), err.get());
    if (out != nullptr)
        *out = o.text();
    return code;
}

} // namespace ptl::test
