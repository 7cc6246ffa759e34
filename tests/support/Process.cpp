#include "support/Process.h"

#include <windows.h>

#include <atomic>

#include "support/TestUtil.h"

namespace ptl::test {

std::string binDir() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string p(path, n);
    size_t slash = p.find_last_of("\\/");
    return slash == std::string::npos ? "." : p.substr(0, slash);
}

std::string crlf(const std::string &text) {
    std::string s;
    for (char c : text) {
        if (c == '\n')
            s += '\r';
        s += c;
    }
    return s;
}

namespace {

// Quotes each argument the way the C runtime splits them again.
std::string commandLine(const std::string &exe, const std::vector<std::string> &args) {
    auto quote = [](const std::string &a) {
        if (!a.empty() && a.find_first_of(" \t\"") == std::string::npos)
            return a;
        std::string q = "\"";
        size_t slashes = 0;
        for (char c : a) {
            if (c == '\\') {
                ++slashes;
                continue;
            }
            if (c == '"')
                q.append(slashes * 2 + 1, '\\');
            else
                q.append(slashes, '\\');
            slashes = 0;
            q += c;
        }
        q.append(slashes * 2, '\\');
        q.push_back('"');
        return q;
    };
    std::string line = quote(exe);
    for (const auto &a : args) {
        line.push_back(' ');
        line.append(quote(a));
    }
    return line;
}

std::atomic<int> gCounter{0};

HANDLE inheritableFile(const std::string &path, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    return CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE start(const std::string &exe, const std::vector<std::string> &args, HANDLE out, HANDLE err) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE in =
        CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = in;
    si.hStdOutput = out;
    si.hStdError = err;
    PROCESS_INFORMATION pi{};
    std::string line = commandLine(exe, args);
    BOOL ok = CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    CloseHandle(in);
    if (!ok)
        return nullptr;
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

} // namespace

ProcessResult runProcess(const std::string &exe, const std::vector<std::string> &args, unsigned timeoutMs) {
    const int id = ++gCounter;
    const std::string outPath = tempPath("proc" + std::to_string(id) + ".out");
    const std::string errPath = tempPath("proc" + std::to_string(id) + ".err");
    HANDLE out = inheritableFile(outPath, GENERIC_WRITE, CREATE_ALWAYS);
    HANDLE err = inheritableFile(errPath, GENERIC_WRITE, CREATE_ALWAYS);
    ProcessResult r;
    HANDLE process = start(exe, args, out, err);
    CloseHandle(out);
    CloseHandle(err);
    if (process != nullptr) {
        if (WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0) {
            DWORD code = 0;
            GetExitCodeProcess(process, &code);
            r.exitCode = static_cast<int>(code);
        } else {
            TerminateProcess(process, 1);
            WaitForSingleObject(process, INFINITE);
            r.exitCode = -2;
        }
        CloseHandle(process);
    }
    r.out = readFile(outPath);
    r.err = readFile(errPath);
    DeleteFileA(outPath.c_str());
    DeleteFileA(errPath.c_str());
    return r;
}

ProcessResult runRawpush(const std::vector<std::string> &args, unsigned timeoutMs) {
    return runProcess(binDir() + "\\rawpush.exe", args, timeoutMs);
}

Background::Background(const std::string &exe, const std::vector<std::string> &args) {
    outPath_ = tempPath("bg" + std::to_string(++gCounter) + ".out");
    HANDLE out = inheritableFile(outPath_, GENERIC_WRITE, CREATE_ALWAYS);
    process_ = start(exe, args, out, out);
    CloseHandle(out);
}

Background::~Background() {
    if (process_ == nullptr)
        return;
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, INFINITE);
    CloseHandle(process_);
}

int Background::wait(unsigned timeoutMs) {
    if (process_ == nullptr)
        return -1;
    if (WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0)
        return -2;
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return static_cast<int>(code);
}

std::string Background::out() {
    return readFile(outPath_);
}

} // namespace ptl::test
