// Proves the native tier runs: GoogleTest links against ptl_portable under the sanitizers.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

TEST(NativeSmoke, BuiltWithAddressSanitizer) {
    // The native tier exists to catch memory errors; a build without ASan would hide them.
#if defined(__SANITIZE_ADDRESS__)
    constexpr bool asan = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    constexpr bool asan = true;
#else
    constexpr bool asan = false;
#endif
#else
    constexpr bool asan = false;
#endif
    EXPECT_TRUE(asan);
}

TEST(NativeSmoke, ContainersBehave) {
    std::vector<std::uint8_t> bytes{0x1B, 0x40, 0x0A};
    bytes.push_back(0x1D);
    ASSERT_EQ(bytes.size(), 4u);
    EXPECT_EQ(bytes.front(), 0x1B);
    EXPECT_EQ(bytes.back(), 0x1D);
}

} // namespace
