#include <gtest/gtest.h>

#include <string>

#include "common/diag.h"
#include "tests/support/test_support.h"

using wiztest::MessageBoxWatcher;
using wiztest::TesterFile;

namespace {

// Memory that cannot be written.
void* ReadOnlyPage() {
    void* p = VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READONLY);
    return p;
}

}  // namespace

// Run in a process of its own: the switch is read once per process.
TEST(Quiet, NoSwitchFileMeansNoMessage) {
    DeleteFileA(TesterFile().c_str());
    char ok[8];
    EXPECT_EQ(ok, ValidateBuffer(ok, sizeof ok, "Caller"));
    EXPECT_EQ(nullptr, ValidateBuffer(nullptr, 8, "Caller"));
    MessageBoxWatcher w("Software Error");
    w.Start(1500);
    EXPECT_EQ(nullptr, ValidateBuffer(ReadOnlyPage(), 256, "Caller"));
    w.Join();
    EXPECT_FALSE(w.Seen());
    EXPECT_EQ(0, RegistryDiagnosticsEnabled());
}

TEST(Loud, SwitchOnShowsTheCallerPadded) {
    std::string file = TesterFile();
    WritePrivateProfileStringA("Tester Info", "ValidateBuffer", "1", file.c_str());
    WritePrivateProfileStringA("Tester Info", "GetRegString", "1", file.c_str());
    EXPECT_EQ(1, RegistryDiagnosticsEnabled());
    void* bad = ReadOnlyPage();
    MessageBoxWatcher w("Software Error");
    w.Start(10000);
    EXPECT_EQ(nullptr, ValidateBuffer(bad, 256, "EnumIniFields"));
    w.Join();
    ASSERT_TRUE(w.Seen());
    char address[24];  // every digit of the address: 8, or 16 in a 64-bit build
    snprintf(address, sizeof address, "0x%0*llx", (int)(2 * sizeof bad),
             (unsigned long long)(ULONG_PTR)bad);
    EXPECT_EQ(std::string("Invalid pointer ") + address + " allocated in " + std::string(12, ' ') +
                  "EnumIniFields",
              w.Text());

    MessageBoxWatcher w2("Software Error");
    w2.Start(10000);
    std::string longName(200, 'n');  // far past what a 128-byte message holds
    ValidateBuffer(bad, 16, longName.c_str());
    w2.Join();
    EXPECT_EQ(std::string("Invalid pointer ") + address + " allocated in " + longName, w2.Text());
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str());
    DeleteFileA(file.c_str());
}
