// ptl.dll as another program loads it: every public function under its plain name, __stdcall.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/Process.h"

namespace {

const char *const kExports[] = {
    "PtlVersion",       "PtlStartup",     "PtlCleanup",       "PtlOpenByName",    "PtlClose",
    "PtlGetIFName",     "PtlGetIFType",   "PtlGetPortNo",     "PtlClaim",         "PtlRelease",
    "PtlDocStart",      "PtlDocEnd",      "PtlPageStart",     "PtlPageEnd",       "PtlSend",
    "PtlForce",         "PtlGetBaudRate", "PtlSetBaudRate",   "PtlGetByteSize",   "PtlSetByteSize",
    "PtlGetParity",     "PtlSetParity",   "PtlGetStopBits",   "PtlSetStopBits",   "PtlGetFlow",
    "PtlSetFlow",       "PtlCommParams",  "PtlErrorText",     "PtlPrintSettings", "PtlParseBaudRate",
    "PtlParseByteSize", "PtlParseParity", "PtlParseStopBits", "PtlParseFlow",     "PtlBaudRateName",
    "PtlByteSizeName",  "PtlParityName",  "PtlStopBitsName",  "PtlFlowName",
};

class Dll : public ::testing::Test {
protected:
    HMODULE dll = nullptr;
    void SetUp() override {
        dll = LoadLibraryA((ptl::test::binDir() + "\\ptl.dll").c_str());
        ASSERT_NE(dll, nullptr);
    }
    void TearDown() override {
        if (dll)
            FreeLibrary(dll);
    }
    template <class F> F fn(const char *name) { return reinterpret_cast<F>(GetProcAddress(dll, name)); }
};

// The names of the libraries a PE file imports at load time, lower case, read from the file itself.
std::vector<std::string> importedLibraries(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::string image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> names;
    if (image.size() < sizeof(IMAGE_DOS_HEADER))
        return names;
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(image.data());
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS32 *>(image.data() + dos->e_lfanew);
    auto sections = IMAGE_FIRST_SECTION(nt);
    auto fileOffset = [&](DWORD rva) -> size_t {
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
            const IMAGE_SECTION_HEADER &sec = sections[i];
            if (rva >= sec.VirtualAddress && rva < sec.VirtualAddress + sec.SizeOfRawData)
                return rva - sec.VirtualAddress + sec.PointerToRawData;
        }
        return 0;
    };
    const DWORD importRva = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    auto entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR *>(image.data() + fileOffset(importRva));
    for (; entry->Name != 0; ++entry) {
        std::string name = image.data() + fileOffset(entry->Name);
        std::transform(name.begin(), name.end(), name.begin(), [](char c) { return std::tolower(c); });
        names.push_back(name);
    }
    return names;
}

} // namespace

TEST(Imports, SpoolerLibraryIsLoadedOnlyWhenUsed) {
    // winspool.drv is bound on the first spooler call; importing it would load it into every process.
    for (const char *file : {"ptl.dll", "rawpush.exe"}) {
        auto names = importedLibraries(ptl::test::binDir() + "\\" + file);
        EXPECT_NE(std::find(names.begin(), names.end(), "kernel32.dll"), names.end()) << file;
        EXPECT_EQ(std::find(names.begin(), names.end(), "winspool.drv"), names.end()) << file;
    }
}

TEST_F(Dll, EveryFunctionUnderItsPlainName) {
    for (const char *name : kExports) {
        EXPECT_NE(GetProcAddress(dll, name), nullptr) << name;
        // No decorated twin: callers that look names up find exactly one.
        std::string decorated = std::string("_") + name + "@4";
        EXPECT_EQ(GetProcAddress(dll, decorated.c_str()), nullptr) << decorated;
    }
}

TEST_F(Dll, CallsKeepTheStackBalanced) {
    // A wrong calling convention corrupts the stack after a few calls with arguments.
    auto version = fn<int(__stdcall *)()>("PtlVersion");
    auto open = fn<int(__stdcall *)(const char *, int)>("PtlOpenByName");
    auto ifType = fn<int(__stdcall *)(int)>("PtlGetIFType");
    auto send = fn<int(__stdcall *)(int, const void *, int, int *, int, int, int)>("PtlSend");
    auto commParams = fn<int(__stdcall *)(int, int, int, int, int, int)>("PtlCommParams");
    auto close = fn<int(__stdcall *)(int)>("PtlClose");
    auto text = fn<const char *(__stdcall *)(int)>("PtlErrorText");
    auto parse = fn<int(__stdcall *)(const char *)>("PtlParseBaudRate");
    ASSERT_TRUE(version && open && ifType && send && commParams && close && text && parse);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(version(), 0x20100610);
        int h = open("CON", 0);
        ASSERT_NE(h, -1);
        EXPECT_EQ(ifType(h), 1);
        EXPECT_EQ(commParams(h, 9600, 8, 0, 0, 2), 0);
        int w = 0;
        send(h, "", 0, &w, 0, 0, 0);
        EXPECT_EQ(close(h), 0);
        EXPECT_STREQ(text(1001), "Invalid handle or not claimed.");
        EXPECT_EQ(parse("1152"), 115200);
    }
}
