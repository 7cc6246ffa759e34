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

// The scanner as getopt with "ab:d:f:lp:s:w:": grouped letters, values in the same or the next word (even
// one that looks like an option), "--" stepped over, and the first word that is no option ends it.
TEST(OptionScanner, LettersValuesAndTheEnd) {
    struct Case {
        std::vector<const char *> words;
        std::string seen; // letter, and "=value" for a value
        int index;        // where the scan stopped
    } cases[] = {{{"-al", "-b96", "-d", "8", "-ab192", "--", "-x"}, "a l b=96 d=8 a b=192 ", 7},
                 {{"file", "-a"}, "", 1},
                 {{"-", "x"}, "", 1},
                 {{"-v:a", "f"}, "v : a ", 2},
                 {{"-b", "-d", "f", "t"}, "b=-d ", 3}};
    for (auto &c : cases) {
        c.words.insert(c.words.begin(), "rawpush");
        c.words.push_back(nullptr);
        const int argc = static_cast<int>(c.words.size()) - 1;
        OptionScanner s;
        std::string seen;
        for (int letter; (letter = s.next(argc, c.words.data())) != -1;)
            seen +=
                std::string(1, static_cast<char>(letter)) + (s.value ? std::string("=") + s.value : "") + " ";
        EXPECT_EQ(seen, c.seen) << c.words[1];
        EXPECT_EQ(s.index, c.index) << c.words[1];
    }
}

TEST(Options, SettingsFromValuesAndDefaults) {
    Parsed r = read({"-b96", "-d", "7", "-pEven", "-s15", "-fr", "-a", "-w", "3", "job.bin", "COM2"});
    ASSERT_EQ(r.outcome, Outcome::Run);
    const Settings &s = r.s;
    EXPECT_EQ(
        std::vector<int>({s.baudRate, s.byteSize, s.parity, s.stopBits, s.flow, s.threaded, s.waitSeconds}),
        std::vector<int>({9600, 7, 2, 1, 2, 1, 3}));
    EXPECT_STREQ(s.file, "job.bin");
    EXPECT_STREQ(s.target, "COM2");
    EXPECT_EQ(r.err, "");
    const Settings d = read({"job.bin", "COM2"}).s; // nothing given: the port keeps its own settings
    EXPECT_EQ(
        std::vector<int>({d.baudRate, d.byteSize, d.parity, d.stopBits, d.flow, d.threaded, d.waitSeconds}),
        std::vector<int>({-1, -1, -1, -1, -1, 0, 0}));
}

TEST(Options, OutcomesAndTheirMessages) {
    struct Case {
        std::vector<const char *> words;
        Outcome outcome;
        std::string err;
    } cases[] = {{{"-b100", "f", "t"}, Outcome::Invalid, "Invalid parameter b\n"},
                 {{"-b"}, Outcome::Invalid, "Invalid parameter b\n"},
                 {{"-pQ", "f", "t"}, Outcome::Invalid, "Invalid parameter p\n"},
                 {{"-d9", "f", "t"}, Outcome::Invalid, "Invalid parameter d\n"},
                 {{"-s3", "f", "t"}, Outcome::Invalid, "Invalid parameter s\n"},
                 {{"-fz", "f", "t"}, Outcome::Invalid, "Invalid parameter f\n"},
                 {{"-f", "", "f", "t"}, Outcome::Invalid, "Invalid parameter f\n"},
                 {{"-pX", "-v", "-bX"}, Outcome::Invalid, "Invalid parameter p\n"}, // the first ends the scan
                 {{"-v", "-x", "-b2560", "f", "t"}, Outcome::Run, "unkown parameter v\nunkown parameter x\n"},
                 {{"f"}, Outcome::Usage, ""},
                 {{"f", "t", "x"}, Outcome::Usage, ""},
                 {{}, Outcome::Usage, ""},
                 {{"-d8", "-w"}, Outcome::Usage, ""},         // -w's value is null, not the earlier option's
                 {{"-al", "-b100", "f"}, Outcome::List, ""}}; // -b100 is never read
    for (const Case &c : cases) {
        Parsed r = read(c.words);
        EXPECT_EQ(r.outcome, c.outcome) << (c.words.empty() ? "" : c.words[0]);
        EXPECT_EQ(r.err, c.err) << (c.words.empty() ? "" : c.words[0]);
    }
    EXPECT_EQ(read({"-v", "-b2560", "f", "t"}).s.baudRate, 256000);
}
