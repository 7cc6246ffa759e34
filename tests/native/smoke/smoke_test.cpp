// The native tier exists to catch memory errors: a build without the address sanitizer would hide them.
#include <gtest/gtest.h>

namespace {

TEST(NativeSmoke, BuiltWithAddressSanitizer) {
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

} // namespace
