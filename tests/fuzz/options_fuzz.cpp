// Splits the input into words at NUL bytes and runs the option reader over them: it must stay inside the
// words, and on Run exactly two words must remain.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "sender/Options.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::vector<std::string> words{"rawpush"};
    std::string cur;
    for (size_t i = 0; i < size && words.size() < 64; ++i) {
        if (data[i] == 0) {
            words.push_back(cur);
            cur.clear();
        } else {
            cur += static_cast<char>(data[i]);
        }
    }
    words.push_back(cur);
    std::vector<const char *> argv;
    for (const auto &w : words)
        argv.push_back(w.c_str());
    argv.push_back(nullptr);
    static FILE *sink = fopen("/dev/null", "w");
    rawpush::Settings s;
    auto outcome = rawpush::readOptions(static_cast<int>(words.size()), argv.data(), s, sink);
    if (outcome == rawpush::Outcome::Run && (s.file == nullptr || s.target == nullptr))
        __builtin_trap();
    return 0;
}
