#include <gtest/gtest.h>

#include "core/Results.h"
#include "core/SerialParams.h"

using namespace ptl;

TEST(SerialParams, BaudRateFullAndShortForms) {
    const int pairs[][2] = {{3, 300},     {6, 600},     {12, 1200},     {24, 2400},     {48, 4800},
                            {96, 9600},   {110, 110},   {144, 14400},   {192, 19200},   {384, 38400},
                            {560, 56000}, {576, 57600}, {1152, 115200}, {1280, 128000}, {2560, 256000}};
    for (const auto &p : pairs) {
        EXPECT_EQ(parseBaudRate(std::to_string(p[0]).c_str()), p[1]);
        EXPECT_EQ(parseBaudRate(std::to_string(p[1]).c_str()), p[1]);
        EXPECT_STREQ(baudRateName(p[1]), std::to_string(p[1]).c_str());
    }
    EXPECT_EQ(parseBaudRate("100"), -1);
    EXPECT_EQ(parseBaudRate(""), -1);
    EXPECT_EQ(parseBaudRate(nullptr), -1);
    EXPECT_EQ(parseBaudRate("96abc"), 9600); // the number at the start counts
    EXPECT_EQ(parseBaudRate("-96"), -1);
    EXPECT_EQ(parseBaudRate("99999999999999999999"), -1);
    EXPECT_STREQ(baudRateName(96), "");
    EXPECT_STREQ(baudRateName(-1), "");
}

TEST(SerialParams, ByteSizeStopBits) {
    for (int i = 4; i <= 8; ++i) {
        EXPECT_EQ(parseByteSize(std::to_string(i).c_str()), i);
        EXPECT_STREQ(byteSizeName(i), std::to_string(i).c_str());
    }
    EXPECT_EQ(parseByteSize("3"), -1);
    EXPECT_EQ(parseByteSize("9"), -1);
    EXPECT_EQ(parseByteSize(nullptr), -1);
    EXPECT_STREQ(byteSizeName(9), "");

    EXPECT_EQ(parseStopBits("1"), 0);
    EXPECT_EQ(parseStopBits("2"), 2);
    EXPECT_EQ(parseStopBits("5"), 1);
    EXPECT_EQ(parseStopBits("15"), 1);
    EXPECT_EQ(parseStopBits("1.5"), 0); // the number read is 1
    EXPECT_EQ(parseStopBits("3"), -1);
    EXPECT_EQ(parseStopBits(nullptr), -1);
    EXPECT_STREQ(stopBitsName(0), "1");
    EXPECT_STREQ(stopBitsName(1), "1.5");
    EXPECT_STREQ(stopBitsName(2), "2");
    EXPECT_STREQ(stopBitsName(3), "");
}

TEST(SerialParams, ParityAndFlowByFirstLetter) {
    EXPECT_EQ(parseParity("e"), 2);
    EXPECT_EQ(parseParity("E"), 2);
    EXPECT_EQ(parseParity("Even"), 2);
    EXPECT_EQ(parseParity("none"), 0);
    EXPECT_EQ(parseParity("o"), 1);
    EXPECT_EQ(parseParity("M"), 3);
    EXPECT_EQ(parseParity("space"), 4);
    EXPECT_EQ(parseParity("x"), -1);
    EXPECT_EQ(parseParity(""), -1);
    EXPECT_EQ(parseParity(nullptr), -1);
    EXPECT_STREQ(parityName(0), "NONE");
    EXPECT_STREQ(parityName(4), "SPACE");
    EXPECT_STREQ(parityName(5), "");

    EXPECT_EQ(parseFlow("rts"), 2);
    EXPECT_EQ(parseFlow("N"), 0);
    EXPECT_EQ(parseFlow("d"), 1);
    EXPECT_EQ(parseFlow("X"), 3);
    EXPECT_EQ(parseFlow("w"), 4);
    EXPECT_EQ(parseFlow("Q"), -1);
    EXPECT_EQ(parseFlow(nullptr), -1);
    EXPECT_STREQ(flowName(4), "DTR/DSR+RTS/CTS");
    EXPECT_STREQ(flowName(3), "XON/XOFF");
    EXPECT_STREQ(flowName(-1), "");
}

TEST(SerialParams, LeadingInt) {
    EXPECT_EQ(leadingInt("  42x"), 42);
    EXPECT_EQ(leadingInt("-3"), -3);
    EXPECT_EQ(leadingInt("+7"), 7);
    EXPECT_EQ(leadingInt("x1"), 0);
    EXPECT_EQ(leadingInt(nullptr), 0);
    EXPECT_EQ(leadingInt("99999999999999999999"), 2147483647);
    EXPECT_EQ(leadingInt("-99999999999999999999"), -2147483647 - 1);
}

TEST(Results, Texts) {
    EXPECT_STREQ(errorText(-1), "Not supported function.");
    EXPECT_STREQ(errorText(1001), "Invalid handle or not claimed.");
    EXPECT_STREQ(errorText(1013), "Invalid port number.");
    EXPECT_STREQ(errorText(1014), "Can't claim.");
    EXPECT_STREQ(errorText(1018), "Can't connect.");
    EXPECT_STREQ(errorText(1028), "Invalid address.");
    EXPECT_STREQ(errorText(1029), "Can't open.");
    EXPECT_STREQ(errorText(1106), "Lock failed.");
    EXPECT_STREQ(errorText(1107), "Unlock failed.");
    for (int c = 1210; c <= 1215; ++c)
        EXPECT_STREQ(errorText(c), "Invalid serial parameter.");
    for (int c : {0, 1216, 1209, 1019, 10000, -2})
        EXPECT_STREQ(errorText(c), "Unknown error.") << c;
}
