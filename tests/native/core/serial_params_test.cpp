#include <gtest/gtest.h>

#include "core/Results.h"
#include "core/SerialParams.h"
#include "serial/SerialRules.h"

using namespace ptl;

// Every rate the options read is one the serial port accepts.
TEST(SerialParams, BaudRateFullAndShortForms) {
    const int pairs[][2] = {{3, 300},     {6, 600},     {12, 1200},     {24, 2400},     {48, 4800},
                            {96, 9600},   {110, 110},   {144, 14400},   {192, 19200},   {384, 38400},
                            {560, 56000}, {576, 57600}, {1152, 115200}, {1280, 128000}, {2560, 256000}};
    for (const auto &p : pairs) {
        EXPECT_EQ(parseBaudRate(std::to_string(p[0]).c_str()), p[1]);
        EXPECT_EQ(parseBaudRate(std::to_string(p[1]).c_str()), p[1]);
        EXPECT_STREQ(baudRateName(p[1]), std::to_string(p[1]).c_str());
        EXPECT_TRUE(isAcceptedBaudRate(p[1])) << p[1];
    }
    for (int r : {0, -9600, 7200, 9601, 230400})
        EXPECT_FALSE(isAcceptedBaudRate(r)) << r;
    EXPECT_FALSE(isAcceptedParity(-1)); // the other edges: the serial port's setters
}

// Every parser with the text it reads and its value (-1: refused), and every name with its value's text.
// Numbers are read as atoi reads them (blanks, a sign, digits up to the first other character), saturating
// instead of wrapping.
TEST(SerialParams, ParsersAndNames) {
    struct Parse {
        int (*parse)(const char *);
        const char *text;
        int value;
    } parses[] = {{parseBaudRate, "100", -1},   {parseBaudRate, "", -1},
                  {parseBaudRate, nullptr, -1}, {parseBaudRate, "96abc", 9600},
                  {parseBaudRate, "-96", -1},   {parseBaudRate, "99999999999999999999", -1},
                  {parseByteSize, "4", 4},      {parseByteSize, "8", 8},
                  {parseByteSize, "3", -1},     {parseByteSize, "9", -1},
                  {parseByteSize, nullptr, -1}, {parseByteSize, " \t+5x", 5},
                  {parseStopBits, "1", 0},      {parseStopBits, "2", 2},
                  {parseStopBits, "5", 1},      {parseStopBits, "15", 1},
                  {parseStopBits, "1.5", 0},    {parseStopBits, "3", -1},
                  {parseStopBits, "x1", -1},    {parseStopBits, nullptr, -1},
                  {parseParity, "e", 2},        {parseParity, "Even", 2},
                  {parseParity, "none", 0},     {parseParity, "o", 1},
                  {parseParity, "M", 3},        {parseParity, "space", 4},
                  {parseParity, "x", -1},       {parseParity, "", -1},
                  {parseParity, nullptr, -1},   {parseFlow, "rts", 2},
                  {parseFlow, "N", 0},          {parseFlow, "d", 1},
                  {parseFlow, "X", 3},          {parseFlow, "w", 4},
                  {parseFlow, "Q", -1},         {parseFlow, nullptr, -1}};
    for (const Parse &p : parses)
        EXPECT_EQ(p.parse(p.text), p.value) << (p.text ? p.text : "null");
    struct Name {
        const char *(*name)(int);
        int value;
        const char *text;
    } names[] = {{baudRateName, 96, ""},    {baudRateName, -1, ""}, {byteSizeName, 5, "5"},
                 {byteSizeName, 9, ""},     {stopBitsName, 0, "1"}, {stopBitsName, 1, "1.5"},
                 {stopBitsName, 2, "2"},    {stopBitsName, 3, ""},  {parityName, 0, "NONE"},
                 {parityName, 4, "SPACE"},  {parityName, 5, ""},    {flowName, 4, "DTR/DSR+RTS/CTS"},
                 {flowName, 3, "XON/XOFF"}, {flowName, -1, ""}};
    for (const Name &n : names)
        EXPECT_STREQ(n.name(n.value), n.text) << n.value;
}

TEST(Results, Texts) {
    const std::pair<int, const char *> texts[] = {
        {-1, "Not supported function."}, {1001, "Invalid handle or not claimed."},
        {1013, "Invalid port number."},  {1014, "Can't claim."},
        {1018, "Can't connect."},        {1028, "Invalid address."},
        {1029, "Can't open."},           {1106, "Lock failed."},
        {1107, "Unlock failed."}};
    for (const auto &t : texts)
        EXPECT_STREQ(errorText(t.first), t.second);
    for (int c = 1210; c <= 1215; ++c)
        EXPECT_STREQ(errorText(c), "Invalid serial parameter.");
    for (int c : {0, 1216, 1209, 1019, 10000, -2})
        EXPECT_STREQ(errorText(c), "Unknown error.") << c;
}
