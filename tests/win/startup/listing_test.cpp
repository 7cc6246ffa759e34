// The printer listing against simulated spooler answers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "extlib/Printers.h"
#include "sender/Sender.h"
#include "support/Seam.h"
#include "support/TestUtil.h"

using namespace ptl;

namespace {

// What the simulated spooler knows.
struct Spooler {
    DWORD platform = VER_PLATFORM_WIN32_NT;
    DWORD major = 6;
    std::string defaultName; // "" = none
    bool hasFunction = true; // GetDefaultPrinterA
    int loads = 0, frees = 0;
};

Spooler *gSpool = nullptr;

BOOL WINAPI fakeGetDefaultPrinterA(LPSTR buffer, LPDWORD size) {
    const std::string &n = gSpool->defaultName;
    if (n.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    if (n.size() + 1 > *size) {
        *size = static_cast<DWORD>(n.size() + 1);
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    memcpy(buffer, n.c_str(), n.size() + 1);
    *size = static_cast<DWORD>(n.size() + 1);
    return TRUE;
}

HMODULE const kFakeSpool = reinterpret_cast<HMODULE>(0x5150000);

class Listing : public ::testing::Test {
protected:
    Spooler spool;
    test::Seam seam;

    void SetUp() override {
        gSpool = &spool;
        seam.on<&os::Api::GetVersionExA>([this](LPOSVERSIONINFOA v) -> BOOL {
            v->dwPlatformId = spool.platform;
            v->dwMajorVersion = spool.major;
            return TRUE;
        });
        seam.on<&os::Api::LoadLibraryA>([this](LPCSTR name) -> HMODULE {
            EXPECT_STREQ(name, "winspool.drv");
            ++spool.loads;
            return kFakeSpool;
        });
        seam.on<&os::Api::FreeLibrary>([this](HMODULE m) -> BOOL {
            EXPECT_EQ(m, kFakeSpool);
            ++spool.frees;
            return TRUE;
        });
        seam.on<&os::Api::GetProcAddress>([this](HMODULE m, LPCSTR name) -> FARPROC {
            EXPECT_EQ(m, kFakeSpool);
            const bool known = spool.hasFunction && strcmp(name, "GetDefaultPrinterA") == 0;
            return known ? reinterpret_cast<FARPROC>(fakeGetDefaultPrinterA) : nullptr;
        });
        // The local printers' listing is the real spooler's (e2e Spooler tests): here there are none.
        seam.on<&os::Api::EnumPrintersA>([this](DWORD flags, LPSTR, DWORD level, LPBYTE buf, DWORD size,
                                                LPDWORD needed, LPDWORD returned) -> BOOL {
            if (flags == PRINTER_ENUM_DEFAULT)
                return enumDefault9x(level, buf, size, needed, returned);
            *needed = *returned = 0;
            return TRUE;
        });
    }
    void TearDown() override { gSpool = nullptr; }

    BOOL enumDefault9x(DWORD level, LPBYTE buf, DWORD size, LPDWORD needed, LPDWORD returned) {
        EXPECT_EQ(level, 2u);
        const std::string &n = spool.defaultName;
        const DWORD need = n.empty() ? 0 : static_cast<DWORD>(sizeof(PRINTER_INFO_2A) + n.size() + 1);
        *needed = need;
        *returned = 0;
        if (need == 0)
            return TRUE;
        if (buf == nullptr || size < need) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        auto *info = reinterpret_cast<PRINTER_INFO_2A *>(buf);
        char *text = reinterpret_cast<char *>(buf + sizeof(PRINTER_INFO_2A));
        strcpy(text, n.c_str());
        info->pPrinterName = text;
        *returned = 1;
        return TRUE;
    }
};

} // namespace

// The listing shows a default name that does not fit its 260 bytes as none, and the drivers by position,
// skipping those without a name (the spooler's printers and named drivers: e2e Spooler tests).
TEST_F(Listing, LongDefaultNameAndNamelessDriversAreLeftOut) {
    spool.defaultName = std::string(260, 'P');
    char a[] = "Drv A", c[] = "Drv C", pathA[] = "C:\\drv\\a.dll", pathB[] = "b.dll", pathC[] = "c.dll";
    const DRIVER_INFO_2A drivers[] = {{0, a, nullptr, pathA, nullptr, nullptr},
                                      {0, nullptr, nullptr, pathB, nullptr, nullptr},
                                      {0, c, nullptr, pathC, nullptr, nullptr}};
    seam.on<&os::Api::EnumPrinterDriversA>(
        [&](LPSTR, LPSTR, DWORD, LPBYTE buf, DWORD size, LPDWORD needed, LPDWORD returned) -> BOOL {
            *needed = sizeof drivers;
            if (buf == nullptr || size < sizeof drivers) {
                SetLastError(ERROR_INSUFFICIENT_BUFFER);
                return FALSE;
            }
            memcpy(buf, drivers, sizeof drivers);
            *returned = 3;
            return TRUE;
        });
    test::MemStream out;
    EXPECT_EQ(rawpush::listPrinters(out.get()), 0);
    EXPECT_EQ(out.text(), "DefaultPrinter=[]\n\n  1 'C:\\drv\\a.dll'\n  3 'c.dll'\n");
    EXPECT_EQ(spool.loads, 1);
    EXPECT_EQ(spool.frees, 1);
}

// The default printer by family: the spooler's function on NT 5 and later (260 bytes with the terminator
// at most; none without the function), the spooler's level-2 default on 9x, the profile's "device" entry on
// NT 4; the library is loaded, and freed, only for the first.
TEST_F(Listing, DefaultPrinterOfEachFamily) {
    std::string profile;
    seam.on<&os::Api::GetProfileStringA>(
        [&](LPCSTR section, LPCSTR key, LPCSTR def, LPSTR out, DWORD size) -> DWORD {
            EXPECT_STREQ(section, "windows");
            EXPECT_STREQ(key, "device");
            EXPECT_STREQ(def, ",,,");
            EXPECT_EQ(size, 256u);
            snprintf(out, size, "%s", profile.c_str());
            return static_cast<DWORD>(strlen(out));
        });
    const struct {
        DWORD platform, major;
        std::string name, profile;
        unsigned size;
        bool found;
        std::string got;    // the name, or "" when not found
        unsigned sizeAfter; // 0: not looked at
        int loads;
        bool hasFunction = true;
    } cases[] = {
        {VER_PLATFORM_WIN32_NT, 6, std::string(260, 'P'), "", 260, false, "", 261, 1},
        {VER_PLATFORM_WIN32_NT, 6, std::string(259, 'P'), "", 260, true, std::string(259, 'P'), 260, 1},
        {VER_PLATFORM_WIN32_NT, 6, "X", "", 260, false, "", 260, 1, false},
        {VER_PLATFORM_WIN32_WINDOWS, 4, "Old Printer", "", 260, true, "Old Printer", 12, 0},
        {VER_PLATFORM_WIN32_WINDOWS, 4, "Old Printer", "", 5, false, "", 12, 0},
        {VER_PLATFORM_WIN32_WINDOWS, 4, "", "", 260, false, "", 0, 0},
        {VER_PLATFORM_WIN32_NT, 4, "", "Label Printer,winspool,LPT1:", 260, true, "Label Printer", 14, 0},
        {VER_PLATFORM_WIN32_NT, 4, "", "", 260, false, "", 0, 0},
    };
    for (const auto &c : cases) {
        spool.platform = c.platform, spool.major = c.major, spool.defaultName = c.name;
        spool.hasFunction = c.hasFunction, spool.loads = spool.frees = 0;
        profile = c.profile;
        char buf[260] = {};
        unsigned size = c.size;
        EXPECT_EQ(ptl::getDefaultPrinter(buf, &size), c.found) << c.name << c.profile;
        EXPECT_EQ(c.found ? std::string(buf) : "", c.got);
        EXPECT_TRUE(c.sizeAfter == 0 || size == c.sizeAfter) << size;
        EXPECT_EQ(spool.loads, c.loads);
        EXPECT_EQ(spool.frees, c.loads);
    }
}
