// Proves the end-to-end tier: a program from bin/ starts beside the test, its stdout lands in a file
// and its exit code comes back.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

std::string exeDir() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string s(path, n);
    return s.substr(0, s.find_last_of("\\/") + 1);
}

struct RunResult {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out;
};

// Runs `exe args` with stdout and stderr in a temporary file; fails the test on any set-up error.
RunResult run(const std::string &exe, const std::string &args) {
    RunResult r;
    char tmpDir[MAX_PATH];
    char tmpFile[MAX_PATH];
    EXPECT_NE(GetTempPathA(sizeof tmpDir, tmpDir), 0u);
    EXPECT_NE(GetTempFileNameA(tmpDir, "e2e", 0, tmpFile), 0u);

    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE out = CreateFileA(tmpFile, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(out, INVALID_HANDLE_VALUE);
    if (out == INVALID_HANDLE_VALUE) {
        return r;
    }

    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = out;
    si.hStdError = out;
    PROCESS_INFORMATION pi{};
    std::string cmd = "\"" + exe + "\" " + args;
    BOOL started =
        CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    CloseHandle(out);
    EXPECT_TRUE(started) << "CreateProcessA(" << exe << ") failed, error " << GetLastError();
    if (started) {
        EXPECT_EQ(WaitForSingleObject(pi.hProcess, 60000), static_cast<DWORD>(WAIT_OBJECT_0));
        EXPECT_NE(GetExitCodeProcess(pi.hProcess, &r.exitCode), 0);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }

    HANDLE in = CreateFileA(tmpFile, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(in, INVALID_HANDLE_VALUE);
    if (in != INVALID_HANDLE_VALUE) {
        char buf[4096];
        DWORD got = 0;
        while (ReadFile(in, buf, sizeof buf, &got, nullptr) && got > 0) {
            r.out.append(buf, got);
        }
        CloseHandle(in);
    }
    DeleteFileA(tmpFile);
    return r;
}

TEST(E2eSmoke, HelperExitCodePassesThrough) {
    RunResult r = run(exeDir() + "exit_code_helper.exe", "42");
    EXPECT_EQ(r.exitCode, 42u);
}

TEST(E2eSmoke, HelperStdoutIsCapturedInAFile) {
    RunResult r = run(exeDir() + "exit_code_helper.exe", "0 hello printer");
    EXPECT_EQ(r.exitCode, 0u);
    // Text-mode stdout writes CRLF, as on Windows.
    EXPECT_EQ(r.out, "exit_code_helper: 0 hello printer\r\n");
}

} // namespace
