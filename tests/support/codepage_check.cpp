// Linked into every test binary. A run meant for a code page (WIZ_EXPECT_ACP,
// set by the build for its locale runs) fails at once when the process did not
// get it: its double-byte cases would otherwise skip and prove nothing.
#include <windows.h>

#include <cstdlib>

#include <gtest/gtest.h>

namespace {

class CodePageCheck : public ::testing::Environment {
public:
    void SetUp() override {
        const char* expected = std::getenv("WIZ_EXPECT_ACP");
        if (!expected || !*expected) return;
        ASSERT_EQ(std::strtoul(expected, nullptr, 10), (unsigned long)GetACP())
            << "this run needs ANSI code page " << expected
            << " (check the locale given to Wine: LC_ALL)";
    }
};

const ::testing::Environment* const kCodePageCheck =
    ::testing::AddGlobalTestEnvironment(new CodePageCheck);

}  // namespace
