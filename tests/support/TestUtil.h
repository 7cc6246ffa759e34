// Small helpers shared by the Windows tests: files, captured output streams and the log settings in the
// registry.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "api/Factory.h"

namespace ptl::test {

// The object the factory makes for a type and mode, owned by the test instead of the handle table. T is
// the class the test works with (the mode's class or a base of it).
template <class T> std::unique_ptr<T> newPortAs(int type, int mode) {
    return std::unique_ptr<T>(static_cast<T *>(newPort(type, mode).release()));
}

// Polls pred every few milliseconds until it holds or timeoutMs pass; the result of the last look.
bool waitUntil(const std::function<bool()> &pred, int timeoutMs = 5000);

// n bytes of test data that show any reordering, loss or repetition; a different seed gives other bytes.
std::string testBytes(size_t n, unsigned seed = 0);

// A path in a fresh folder of this test process under the system's temporary folder.
std::string tempPath(const std::string &name);
std::string readFile(const std::string &path);
bool fileExists(const std::string &path);
void writeFile(const std::string &path, const std::string &bytes);
// Writes bytes to tempPath(name) and hands back that path.
std::string jobFile(const std::string &name, const std::string &bytes);

// A temporary stream whose contents can be read back (for the sender's out and err).
class MemStream {
public:
    MemStream();
    ~MemStream();
    FILE *get() { return file_; }
    std::string text();

private:
    FILE *file_;
};

// Points the library's console stream at a temporary file for its lifetime and hands back what was
// written.
class CaptureConsole : public MemStream {
public:
    CaptureConsole();
    ~CaptureConsole();

private:
    FILE *previous_;
};

// Writes "Log" (and "LogPath" unless empty) under the library's settings key; removes them again on
// destruction so that other tests run with logging off.
class LogSettings {
public:
    LogSettings(uint32_t flags, const std::string &path);
    ~LogSettings();
};
void clearLogSettings();

// A whole rawpush run in this process; its exit code, and what it printed to its output stream.
int sendRun(std::vector<std::string> args, std::string *out = nullptr);

} // namespace ptl::test
