#include <gtest/gtest.h>

#include <string>

#include "common/registry/devices.h"
#include "common/registry/layout.h"
#include "common/registry/values.h"
#include "tests/common/config_support.h"
#include "tests/support/test_support.h"

using namespace wiztest;

namespace {

// Another process that holds "klRegMutex" for a given time.
class MutexHolder {
public:
    explicit MutexHolder(DWORD holdMs) {
        std::string event = UniqueName("ready");
        ready_ = CreateEventA(nullptr, TRUE, FALSE, event.c_str());
        std::string command =
            "\"" + BinDir() + "\\mutexholder.exe\" " + std::to_string(holdMs) + " " + event;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        std::string line = command;
        started_ = CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                  &startup, &process_) != 0;
    }
    ~MutexHolder() {
        if (started_) {
            if (WaitForSingleObject(process_.hProcess, 15000) != WAIT_OBJECT_0)
                TerminateProcess(process_.hProcess, 1);
            CloseHandle(process_.hThread);
            CloseHandle(process_.hProcess);
        }
        if (ready_) CloseHandle(ready_);
    }
    // True once the holder owns the mutex.
    bool WaitHeld() {
        if (!started_ || !ready_) return false;
        HANDLE both[2] = {ready_, process_.hProcess};
        return WaitForMultipleObjects(2, both, FALSE, 20000) == WAIT_OBJECT_0;
    }

private:
    HANDLE ready_ = nullptr;
    PROCESS_INFORMATION process_ = {};
    bool started_ = false;
};

class RegistryMutex : public ::testing::Test {
protected:
    void SetUp() override {
        dir_.Write("prodinfo.ini", tree_.Section());
        LoadRegistryPaths(nullptr, dir_.File("prodinfo.ini").c_str(), nullptr);
    }
    void TearDown() override { ResetRegistryPaths(); }
    TempDir dir_;
    OwnRegistryTree tree_;
};

int CountAll(HKEY, long, WORD, WORD, const char*, short, WORD, const char*, void*) { return 1; }

}  // namespace

TEST_F(RegistryMutex, WriteWaitsForAnotherProcess) {
    MutexHolder holder(1500);
    ASSERT_TRUE(holder.WaitHeld());
    DWORD start = GetTickCount();
    EXPECT_EQ(4, WriteRegString(16, 0, "Held", "wait"));
    DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 1000u);
    EXPECT_LT(elapsed, 4500u);
    char b[16];
    EXPECT_EQ(5, ReadRegString(16, 0, "Held", b, sizeof b));
}

TEST_F(RegistryMutex, WriteGoesAheadAfterFiveSeconds) {
    MutexHolder holder(8000);
    ASSERT_TRUE(holder.WaitHeld());
    DWORD start = GetTickCount();
    EXPECT_EQ(5, WriteRegString(16, 0, "Late", "ahead"));
    DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 4800u);
    EXPECT_LT(elapsed, 7000u);
    char b[16];
    EXPECT_EQ(6, ReadRegString(16, 0, "Late", b, sizeof b));
    EXPECT_STREQ("ahead", b);
    // Reads take no lock.
    start = GetTickCount();
    ReadRegString(16, 0, "Late", b, sizeof b);
    EXPECT_LT(GetTickCount() - start, 1000u);
}

TEST_F(RegistryMutex, DeviceWalkWaitsForAnotherProcess) {
    ASSERT_TRUE(SetRegString(HKEY_LOCAL_MACHINE, tree_.Key("\\Devices\\3"), "Model", "FX"));
    MutexHolder holder(1500);
    ASSERT_TRUE(holder.WaitHeld());
    DWORD start = GetTickCount();
    EXPECT_EQ(1, EnumDevices(CountAll, nullptr));
    EXPECT_GE(GetTickCount() - start, 1000u);
}

// The wizard runs elevated; the product's other programs must still be able to
// take the mutex it made, yet not change its security.
TEST_F(RegistryMutex, OtherProgramsMayTakeTheMutexButNotChangeIt) {
    EXPECT_EQ(3, WriteRegString(16, 0, "Secured", "yes"));
    EXPECT_EQ(ObjectAccess::Shared(MUTEX_ALL_ACCESS, SYNCHRONIZE | MUTEX_MODIFY_STATE),
              ReadMutexAccess("klRegMutex"));
}
