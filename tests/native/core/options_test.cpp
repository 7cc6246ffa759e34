#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "sender/Options.h"

using namespace rawpush;

namespace {

struct Parsed {
    Outcome outcome;
    Settings s;
    std::string err;
};

Parsed read(std::vector<const char *> words) {
    words.insert(words.begin(), "rawpush");
    Parsed r{};
    FILE *err = tmpfile();
    r.outcome = readOptions(static_cast<int>(words.size()), words.data(), r.s, err);
    fflush(err);
    rewind(err);
    char buf[512];
    size_t n = fread(buf, 1, sizeof buf, err);
    r.err.assign(buf, n);
    fclose(err);
    return r;
}

} // namespace

TEST(OptionScanner, GroupedAndValueForms) {
    const char *argv[] = {"rawpush", "-al", "-b96", "-d", "8", "-ab192", "--", "-x", nullptr};
    OptionScanner s;
    EXPECT_EQ(s.next(8, argv), 'a');
    EXPECT_EQ(s.next(8, argv), 'l');
    EXPECT_EQ(s.next(8, argv), 'b');
    EXPECT_STREQ(s.value, "96");
    EXPECT_EQ(s.next(8, argv), 'd');
    EXPECT_STREQ(s.value, "8");
    EXPECT_EQ(s.next(8, argv), 'a');
    EXPECT_EQ(s.next(8, argv), 'b');
    EXPECT_STREQ(s.value, "192");
    EXPECT_EQ(s.next(8, argv), -1); // "--" ends the options and is stepped over
    EXPECT_EQ(s.index, 7);
}

TEST(OptionScanner, StopsAtFirstWordThatIsNoOption) {
    const char *argv[] = {"rawpush", "file", "-a", nullptr};
    OptionScanner s;
    EXPECT_EQ(s.next(3, argv), -1);
    EXPECT_EQ(s.index, 1);
    const char *dash[] = {"rawpush", "-", "x", nullptr};
    OptionScanner d;
    EXPECT_EQ(d.next(3, dash), -1);
    EXPECT_EQ(d.index, 1);
}

TEST(OptionScanner, UnknownLettersAndColon) {
    const char *argv[] = {"rawpush", "-v:a", "f", nullptr};
    OptionScanner s;
    EXPECT_EQ(s.next(3, argv), 'v');
    EXPECT_EQ(s.next(3, argv), ':');
    EXPECT_EQ(s.next(3, argv), 'a');
    EXPECT_EQ(s.next(3, argv), -1);
    EXPECT_EQ(s.index, 2);
}

TEST(OptionScanner, ValueIsNextWordEvenIfItLooksLikeAnOption) {
    const char *argv[] = {"rawpush", "-b", "-d", "f", "t", nullptr};
    OptionScanner s;
    EXPECT_EQ(s.next(5, argv), 'b');
    EXPECT_STREQ(s.value, "-d");
    EXPECT_EQ(s.index, 3);
}

TEST(Options, SettingsFromValues) {
    Parsed r = read({"-b96", "-d", "7", "-pEven", "-s15", "-fr", "-a", "-w", "3", "job.bin", "COM2"});
    ASSERT_EQ(r.outcome, Outcome::Run);
    EXPECT_EQ(r.s.baudRate, 9600);
    EXPECT_EQ(r.s.byteSize, 7);
    EXPECT_EQ(r.s.parity, 2);
    EXPECT_EQ(r.s.stopBits, 1);
    EXPECT_EQ(r.s.flow, 2);
    EXPECT_EQ(r.s.threaded, 1);
    EXPECT_EQ(r.s.waitSeconds, 3);
    EXPECT_STREQ(r.s.file, "job.bin");
    EXPECT_STREQ(r.s.target, "COM2");
    EXPECT_EQ(r.err, "");
}

TEST(Options, DefaultsLeaveSettingsAlone) {
    Parsed r = read({"job.bin", "COM2"});
    ASSERT_EQ(r.outcome, Outcome::Run);
    EXPECT_EQ(r.s.baudRate, -1);
    EXPECT_EQ(r.s.byteSize, -1);
    EXPECT_EQ(r.s.parity, -1);
    EXPECT_EQ(r.s.stopBits, -1);
    EXPECT_EQ(r.s.flow, -1);
    EXPECT_EQ(r.s.threaded, 0);
    EXPECT_EQ(r.s.waitSeconds, 0);
}

TEST(Options, InvalidValues) {
    Parsed r = read({"-b100", "f", "t"});
    EXPECT_EQ(r.outcome, Outcome::Invalid);
    EXPECT_EQ(r.err, "Invalid parameter b\n");
    r = read({"-b"});
    EXPECT_EQ(r.outcome, Outcome::Invalid);
    EXPECT_EQ(r.err, "Invalid parameter b\n");
    r = read({"-pQ", "f", "t"});
    EXPECT_EQ(r.err, "Invalid parameter p\n");
    r = read({"-d9", "f", "t"});
    EXPECT_EQ(r.err, "Invalid parameter d\n");
    r = read({"-s3", "f", "t"});
    EXPECT_EQ(r.err, "Invalid parameter s\n");
    r = read({"-fz", "f", "t"});
    EXPECT_EQ(r.err, "Invalid parameter f\n");
}

TEST(Options, UnknownLetterGoesOn) {
    Parsed r = read({"-v", "-x", "-b2560", "f", "t"});
    ASSERT_EQ(r.outcome, Outcome::Run);
    EXPECT_EQ(r.err, "unkown parameter v\nunkown parameter x\n");
    EXPECT_EQ(r.s.baudRate, 256000);
}

TEST(Options, UsageCases) {
    EXPECT_EQ(read({"f"}).outcome, Outcome::Usage);
    EXPECT_EQ(read({"f", "t", "x"}).outcome, Outcome::Usage);
    EXPECT_EQ(read({}).outcome, Outcome::Usage);
    // -w is the last word: its value is null, not the earlier option's value.
    Parsed r = read({"-d8", "-w"});
    EXPECT_EQ(r.outcome, Outcome::Usage);
    EXPECT_EQ(r.err, "");
}

TEST(Options, ListEndsReadingAtOnce) {
    Parsed r = read({"-al", "-b100", "f"});
    EXPECT_EQ(r.outcome, Outcome::List);
    EXPECT_EQ(r.s.threaded, 1);
    EXPECT_EQ(r.err, ""); // -b100 was never read
}

TEST(Options, WaitValue) {
    EXPECT_EQ(read({"-w7x", "f", "t"}).s.waitSeconds, 7);
    EXPECT_EQ(read({"-wx", "f", "t"}).s.waitSeconds, 0);
}
