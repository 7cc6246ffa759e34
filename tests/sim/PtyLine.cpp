#include "sim/PtyLine.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace ptl::test {

namespace {

std::string env(const char *name) {
    const char *v = std::getenv(name);
    return v ? v : "";
}

} // namespace

PtyLine::PtyLine() {
    com_ = std::atoi(env("PTL_PTY_COM").c_str());
    peer_ = std::atoi(env("PTL_PTY_PEER").c_str());
    dir_ = env("PTL_PTY_DIR");
}

PtyLine::~PtyLine() {
    closePeer();
}

bool PtyLine::openPeer(DWORD readMs) {
    if (peerHandle_ != INVALID_HANDLE_VALUE)
        return true;
    const std::string path = "\\\\.\\COM" + std::to_string(peer_);
    peerHandle_ =
        CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (peerHandle_ == INVALID_HANDLE_VALUE)
        return false;
    COMMTIMEOUTS t{0, 0, readMs, 0, 2000};
    SetCommTimeouts(peerHandle_, &t);
    return true;
}

void PtyLine::closePeer() {
    if (peerHandle_ != INVALID_HANDLE_VALUE)
        CloseHandle(peerHandle_);
    peerHandle_ = INVALID_HANDLE_VALUE;
}

bool PtyLine::peerWrite(const std::string &bytes) {
    DWORD n = 0;
    return WriteFile(peerHandle_, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr) &&
           n == bytes.size();
}

std::string PtyLine::peerRead(size_t want) {
    std::string out;
    char buf[4096];
    while (out.size() < want) {
        DWORD n = 0;
        const DWORD ask = static_cast<DWORD>(std::min<size_t>(sizeof buf, want - out.size()));
        if (!ReadFile(peerHandle_, buf, ask, &n, nullptr) || n == 0)
            break;
        out.append(buf, n);
    }
    return out;
}

void PtyLine::peerDrain() {
    PurgeComm(peerHandle_, PURGE_RXCLEAR);
    while (!peerRead(65536).empty()) {
    }
}

std::string PtyLine::linuxSettings() {
    // Wine starts Linux programs through CreateProcess; the output goes to a file both sides can see.
    const std::string out = dir_ + "/stty.txt";
    std::remove(("Z:" + out).c_str());
    // The wait below can end before a Linux child has finished (Wine), so the file appears whole, by a
    // rename, only when stty is done.
    std::string cmd =
        "/bin/sh -c \"stty -F " + dir_ + "/A -a > " + out + ".tmp 2>&1; mv " + out + ".tmp " + out + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return "";
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    for (int i = 0; i < 500 && GetFileAttributesA(("Z:" + out).c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(10);
    std::ifstream f("Z:" + out);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

bool hasToken(const std::string &text, const std::string &word) {
    std::istringstream in(text);
    std::string token;
    while (in >> token) {
        if (!token.empty() && token.back() == ';')
            token.pop_back();
        if (token == word)
            return true;
    }
    return false;
}

} // namespace ptl::test
