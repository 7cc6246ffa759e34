// Runs a program of bin/ (rawpush.exe, a simulator) as a child process with its standard output and error
// in files, as a user's shell would, and hands back what it printed and its exit code.
#pragma once

#include <string>
#include <vector>

namespace ptl::test {

// The folder of the running test program, where rawpush.exe and the tools are built.
std::string binDir();

struct ProcessResult {
    int exitCode = -1; // -1: did not start; -2: killed after the time-out
    std::string out;   // standard output, bytes as written (text-mode CRLF included)
    std::string err;   // standard error
};

// What a child's text-mode output holds for text: each "\n" becomes "\r\n"; a bare "\r" (the progress
// figure) stays as it is.
std::string crlf(const std::string &text);

// Starts exe with args, waits up to timeoutMs, returns its exit code and output.
ProcessResult runProcess(const std::string &exe, const std::vector<std::string> &args,
                         unsigned timeoutMs = 60000);

// rawpush.exe of bin/ with the given arguments.
ProcessResult runRawpush(const std::vector<std::string> &args, unsigned timeoutMs = 60000);

// A child that keeps running (a simulator); killed and waited for on destruction.
class Background {
public:
    Background(const std::string &exe, const std::vector<std::string> &args);
    ~Background();
    Background(const Background &) = delete;
    Background &operator=(const Background &) = delete;
    bool started() const { return process_ != nullptr; }
    // Waits for the child to end by itself; its exit code, or -2 after the time-out.
    int wait(unsigned timeoutMs);
    std::string out();

private:
    void *process_ = nullptr;
    std::string outPath_;
};

} // namespace ptl::test
