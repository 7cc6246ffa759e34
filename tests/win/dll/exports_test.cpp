// ptl.dll as another program loads it: every public function under its plain name, __stdcall.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

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

} // namespace

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
