// The printer listing against simulated spooler answers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

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
    std::vector<std::string> printers;
    std::vector<std::pair<const char *, const char *>> drivers; // name (null = none), driver path
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
    std::vector<BYTE> driverBlock;

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
        seam.on<&os::Api::GetProcAddress>([](HMODULE m, LPCSTR name) -> FARPROC {
            EXPECT_EQ(m, kFakeSpool);
            return strcmp(name, "GetDefaultPrinterA") == 0 ? reinterpret_cast<FARPROC>(fakeGetDefaultPrinterA)
                                                           : nullptr;
        });
        seam.on<&os::Api::EnumPrintersA>([this](DWORD flags, LPSTR, DWORD level, LPBYTE buf, DWORD size,
                                                LPDWORD needed, LPDWORD returned) -> BOOL {
            if (flags == PRINTER_ENUM_DEFAULT)
                return enumDefault9x(level, buf, size, needed, returned);
            EXPECT_EQ(flags, static_cast<DWORD>(PRINTER_ENUM_LOCAL));
            EXPECT_EQ(level, 4u);
            EXPECT_EQ(size, 1200u);
            DWORD need = 0;
            for (const auto &p : spool.printers)
                need += sizeof(PRINTER_INFO_4A) + p.size() + 1;
            *needed = need;
            if (need > size) {
                SetLastError(ERROR_INSUFFICIENT_BUFFER);
                return FALSE;
            }
            auto *info = reinterpret_cast<PRINTER_INFO_4A *>(buf);
            char *text = reinterpret_cast<char *>(buf) + spool.printers.size() * sizeof(PRINTER_INFO_4A);
            for (size_t i = 0; i < spool.printers.size(); ++i) {
                strcpy(text, spool.printers[i].c_str());
                info[i] = PRINTER_INFO_4A{text, nullptr, 0};
                text += spool.printers[i].size() + 1;
            }
            *returned = static_cast<DWORD>(spool.printers.size());
            return TRUE;
        });
        seam.on<&os::Api::EnumPrinterDriversA>([this](LPSTR server, LPSTR env, DWORD level, LPBYTE buf,
                                                      DWORD size, LPDWORD needed, LPDWORD returned) -> BOOL {
            EXPECT_EQ(server, nullptr);
            EXPECT_EQ(env, nullptr);
            EXPECT_EQ(level, 2u);
            const DWORD need = static_cast<DWORD>(spool.drivers.size() * sizeof(DRIVER_INFO_2A));
            *needed = need;
            if (buf == nullptr || size < need) {
                SetLastError(ERROR_INSUFFICIENT_BUFFER);
                return FALSE;
            }
            auto *info = reinterpret_cast<DRIVER_INFO_2A *>(buf);
            for (size_t i = 0; i < spool.drivers.size(); ++i) {
                info[i] = DRIVER_INFO_2A{};
                info[i].pName = const_cast<LPSTR>(spool.drivers[i].first);
                info[i].pDriverPath = const_cast<LPSTR>(spool.drivers[i].second);
            }
            *returned = static_cast<DWORD>(spool.drivers.size());
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

    std::string list() {
        test::MemStream out;
        EXPECT_EQ(rawpush::listPrinters(out.get()), 0);
        return out.text();
    }
};

} // namespace

// The listing: the default printer, the spooler's printers (none when they do not fit the buffer), and
// the drivers by position, skipping those without a name; no default without GetDefaultPrinterA.
TEST_F(Listing, WhatTheSpoolerAnswersIsListed) {
    struct Case {
        std::string defaultName;
        std::vector<std::string> printers;
        std::vector<std::pair<const char *, const char *>> drivers;
        bool noFunction;
        std::string listing;
    } cases[] = {
        {"", {}, {}, false, "DefaultPrinter=[]\n\n"},
        {"X", {}, {}, true, "DefaultPrinter=[]\n\n"},
        {"Receipt",
         {"Kitchen", "Receipt"},
         {{"Drv A", "C:\\drv\\a.dll"}, {nullptr, "C:\\drv\\b.dll"}, {"Drv C", "C:\\drv\\c.dll"}},
         false,
         "DefaultPrinter=[Receipt]\n spooler1 'Kitchen'\n spooler2 'Receipt'\n\n  1 'C:\\drv\\a.dll'\n  3 "
         "'C:\\drv\\c.dll'\n"},
        {"",
         std::vector<std::string>(60, "A printer with a long enough name"),
         {{"D", "d.dll"}},
         false,
         "DefaultPrinter=[]\n\n  1 'd.dll'\n"},
    };
    for (const Case &c : cases) {
        spool.defaultName = c.defaultName;
        spool.printers = c.printers;
        spool.drivers = c.drivers;
        spool.loads = spool.frees = 0;
        test::Seam none;
        if (c.noFunction)
            none.on<&os::Api::GetProcAddress>([](HMODULE, LPCSTR) -> FARPROC { return nullptr; });
        EXPECT_EQ(list(), c.listing);
        EXPECT_EQ(spool.loads, 1);
        EXPECT_EQ(spool.frees, 1);
    }
}

// The default printer by family: the spooler's function on NT 5 and later (260 bytes with the terminator
// at most), the spooler's level-2 default on 9x, the profile's "device" entry on NT 4; the library is
// loaded only for the first.
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
        int loads;          // -1: not looked at
    } cases[] = {
        {VER_PLATFORM_WIN32_NT, 6, std::string(260, 'P'), "", 260, false, "", 261, -1},
        {VER_PLATFORM_WIN32_NT, 6, std::string(259, 'P'), "", 260, true, std::string(259, 'P'), 260, -1},
        {VER_PLATFORM_WIN32_WINDOWS, 4, "Old Printer", "", 260, true, "Old Printer", 12, 0},
        {VER_PLATFORM_WIN32_WINDOWS, 4, "Old Printer", "", 5, false, "", 12, 0},
        {VER_PLATFORM_WIN32_WINDOWS, 4, "", "", 260, false, "", 0, 0},
        {VER_PLATFORM_WIN32_NT, 4, "", "Label Printer,winspool,LPT1:", 260, true, "Label Printer", 14, 0},
        {VER_PLATFORM_WIN32_NT, 4, "", "", 260, false, "", 0, 0},
    };
    for (const auto &c : cases) {
        spool.platform = c.platform, spool.major = c.major, spool.defaultName = c.name, spool.loads = 0;
        profile = c.profile;
        char buf[260] = {};
        unsigned size = c.size;
        EXPECT_EQ(ptl::getDefaultPrinter(buf, &size), c.found) << c.name << c.profile;
        EXPECT_EQ(c.found ? std::string(buf) : "", c.got);
        EXPECT_TRUE(c.sizeAfter == 0 || size == c.sizeAfter) << size;
        EXPECT_TRUE(c.loads < 0 || spool.loads == c.loads);
    }
    spool.platform = VER_PLATFORM_WIN32_NT, spool.major = 6, spool.defaultName = std::string(260, 'P');
    EXPECT_EQ(list(), "DefaultPrinter=[]\n\n");
}
