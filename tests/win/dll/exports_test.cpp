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
    "PtlVersion",       "PtlStartup",        "PtlCleanup",       "PtlOpenByName",    "PtlClose",
    "PtlGetIFName",     "PtlGetIFType",      "PtlGetPortNo",     "PtlClaim",         "PtlRelease",
    "PtlDocStart",      "PtlDocEnd",         "PtlPageStart",     "PtlPageEnd",       "PtlSend",
    "PtlForce",         "PtlGetBaudRate",    "PtlSetBaudRate",   "PtlGetByteSize",   "PtlSetByteSize",
    "PtlGetParity",     "PtlSetParity",      "PtlGetStopBits",   "PtlSetStopBits",   "PtlGetFlow",
    "PtlSetFlow",       "PtlCommParams",     "PtlErrorText",     "PtlPrintSettings", "PtlParseBaudRate",
    "PtlParseByteSize", "PtlParseParity",    "PtlParseStopBits", "PtlParseFlow",     "PtlBaudRateName",
    "PtlByteSizeName",  "PtlParityName",     "PtlStopBitsName",  "PtlFlowName",      "PtlGetDefaultPrinter",
    "PtlRecv",          "PtlIsReady",        "PtlReset",         "PtlGetSendCount",  "PtlGetRecvCount",
    "PtlClearSend",     "PtlClearRecv",      "PtlGetIOMode",     "PtlGetName",       "PtlSetName",
    "PtlSetPortNo",     "PtlGetAddress",     "PtlSetAddress",    "PtlGetSubType",    "PtlSetSubType",
    "PtlGetDeviceId",   "PtlGetDeviceState",
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

std::string fileBytes(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char c) { return std::tolower(c); });
    return text;
}

// What a PE file imports at load time, lower case, read from the file itself: each library's name, and
// "library!function" for each function imported by name.
std::vector<std::string> imports(const std::string &path) {
    const std::string image = fileBytes(path);
    std::vector<std::string> names;
    if (image.size() < sizeof(IMAGE_DOS_HEADER))
        return names;
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(image.data());
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS32 *>(image.data() + dos->e_lfanew);
    auto sections = IMAGE_FIRST_SECTION(nt);
    auto at = [&](DWORD rva) -> const char * {
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
            const IMAGE_SECTION_HEADER &sec = sections[i];
            if (rva >= sec.VirtualAddress && rva < sec.VirtualAddress + sec.SizeOfRawData)
                return image.data() + (rva - sec.VirtualAddress + sec.PointerToRawData);
        }
        return image.data();
    };
    const DWORD importRva = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (auto entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR *>(at(importRva)); entry->Name != 0;
         ++entry) {
        const std::string library = lower(at(entry->Name));
        names.push_back(library);
        const DWORD thunks = entry->OriginalFirstThunk != 0 ? entry->OriginalFirstThunk : entry->FirstThunk;
        for (auto t = reinterpret_cast<const IMAGE_THUNK_DATA32 *>(at(thunks)); t->u1.AddressOfData != 0; ++t)
            if ((t->u1.Ordinal & IMAGE_ORDINAL_FLAG32) == 0)
                names.push_back(library + "!" + lower(at(t->u1.AddressOfData + sizeof(WORD))));
    }
    return names;
}

bool has(const std::vector<std::string> &names, const std::string &name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace

TEST(Imports, LateBoundLibrariesAndFunctionsAreNotImported) {
    // winspool.drv is bound on the first spooler call; importing it would load it into every process. The
    // DOS-device calls are bound on first use too, as not every system has them.
    for (const char *file : {"ptl.dll", "rawpush.exe"}) {
        auto names = imports(ptl::test::binDir() + "\\" + file);
        EXPECT_TRUE(has(names, "kernel32.dll")) << file;
        EXPECT_TRUE(has(names, "kernel32.dll!createfilea")) << file;
        EXPECT_FALSE(has(names, "winspool.drv")) << file;
        EXPECT_FALSE(has(names, "kernel32.dll!definedosdevicea")) << file;
        EXPECT_FALSE(has(names, "kernel32.dll!querydosdevicea")) << file;
    }
}

TEST(Imports, RawpushUsesOnlyTheLibrarysPublicFunctions) {
    auto names = imports(ptl::test::binDir() + "\\rawpush.exe");
    EXPECT_TRUE(has(names, "ptl.dll!ptlopenbyname"));
    EXPECT_TRUE(has(names, "ptl.dll!ptlparsebaudrate"));
    // The sender's option scanner is the sender's: none of its messages in the library.
    const std::string dll = fileBytes(ptl::test::binDir() + "\\ptl.dll");
    ASSERT_FALSE(dll.empty());
    for (const char *text : {"unkown parameter %c\n", "Invalid parameter %c\n", "alb:d:f:p:s:w:"})
        EXPECT_EQ(dll.find(text), std::string::npos) << text;
}

TEST(Imports, PtlqueryIsAClientOfTheLibraryOnly) {
    std::vector<std::string> libraries;
    for (const std::string &name : imports(ptl::test::binDir() + "\\ptlquery.exe"))
        if (name.find('!') == std::string::npos)
            libraries.push_back(name);
    std::sort(libraries.begin(), libraries.end());
    EXPECT_EQ(libraries, (std::vector<std::string>{"kernel32.dll", "msvcrt.dll", "ptl.dll"}));
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
