#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "common/globalstrings.h"
#include "common/registry/devices.h"
#include "common/registry/layout.h"
#include "common/registry/values.h"
#include "tests/common/config_support.h"
#include "tests/support/test_support.h"

using namespace wiztest;

namespace {

std::string Path(WORD section, long id) {
    char buffer[260];
    GetRegSectionStr(section, id, buffer, sizeof buffer);
    return buffer;
}

// A registry tree of the test's own, named by its own prodinfo.ini.
class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        FreeGlobalStrings();
        dir_.Write("prodinfo.ini", tree_.Section());
        LoadRegistryPaths(nullptr, dir_.File("prodinfo.ini").c_str(), nullptr);
    }
    void TearDown() override {
        FreeGlobalStrings();
        ResetRegistryPaths();
    }
    std::string Device(long id) { return tree_.Key("\\Devices\\" + std::to_string(id)); }
    void SetDevice(long id, const char* name, const char* value) {
        ASSERT_TRUE(SetRegString(HKEY_LOCAL_MACHINE, Device(id), name, value));
    }

    TempDir dir_;
    OwnRegistryTree tree_;
};

}  // namespace

// ---------------------------------------------------------------- layout

TEST_F(RegistryTest, SectionPaths) {
    const std::string mfg = "Software\\" + tree_.Maker();
    const std::string org = tree_.Key("");
    EXPECT_EQ(mfg, Path(0, 0));
    EXPECT_EQ(mfg, Path(40, 0));
    EXPECT_EQ(mfg + "\\Transport", Path(2, 0));
    EXPECT_EQ(mfg + "\\Transport\\DMO", Path(5, 0));
    EXPECT_EQ(org, Path(6, 0));
    EXPECT_EQ(org, Path(15, 0));
    EXPECT_EQ(org + "\\Env", Path(11, 0));
    EXPECT_EQ(org + "\\Env", Path(17, 3));
    EXPECT_EQ(org + "\\Install", Path(16, 0));
    EXPECT_EQ(org + "\\Devices\\5", Path(9, 5));
    EXPECT_EQ(org + "\\RunTimeData\\-3", Path(14, -3));
    EXPECT_EQ(org + "\\RunTimeData\\2147483647\\FaxData", Path(18, 2147483647));
}

TEST_F(RegistryTest, IdZeroNamesTheDefaultDevice) {
    SetDevice(0, "DefDevID", "42");
    EXPECT_EQ(tree_.Key("\\Devices\\42"), Path(9, 0));
    EXPECT_EQ(tree_.Key("\\RunTimeData\\42"), Path(14, 0));
    EXPECT_EQ(tree_.Key("\\RunTimeData\\42\\FaxData"), Path(18, 0));
}

TEST_F(RegistryTest, SectionPathIsCutToTheRoom) {
    GuardedBuffer small(12);
    short length = GetRegSectionStr(16, 0, small.data(), 12);
    EXPECT_EQ((short)Path(16, 0).size(), length);
    EXPECT_EQ(Path(16, 0).substr(0, 11), small.c_str());
    EXPECT_TRUE(small.Intact());
    EXPECT_EQ(0, GetRegSectionStr(16, 0, nullptr, 12));
}

TEST(RegistryLayout, OnlyTheMakerBaseGiven) {
    TempDir dir;
    dir.Write("prodinfo.ini", "[Registry Paths]\r\nRegMfgBase=Acme\r\n");
    LoadRegistryPaths(nullptr, dir.File("prodinfo.ini").c_str(), nullptr);
    EXPECT_STREQ("\\Acme", MfgBase);
    EXPECT_STREQ("\\Corvantis", OrgBase);
    EXPECT_STREQ("", ProdBase);
    EXPECT_EQ("Software\\Acme\\Corvantis\\Env", Path(17, 0));
    ResetRegistryPaths();
}

TEST(RegistryLayout, CommentsAreCutAndBlanksTrimmed) {
    TempDir dir;
    dir.Write("prodinfo.ini",
              "[Registry Paths]\r\nRegMfgBase=Acme\r\nRegOrgBase=Fax Line ; the line\r\n"
              "RegProdBase=   \r\n");
    LoadRegistryPaths(nullptr, dir.File("prodinfo.ini").c_str(), nullptr);
    EXPECT_STREQ("\\Fax Line", OrgBase);
    EXPECT_STREQ("", ProdBase);
    ResetRegistryPaths();
    EXPECT_STREQ("", MfgBase);
    EXPECT_EQ(nullptr, RootKey);
}

// A long file path must not shorten the section name it is read with.
TEST(RegistryLayout, LongFilePathWithOwnSection) {
    TempDir dir;
    std::string folder = dir.path();
    while (folder.size() < 215) {
        folder += "\\" + std::string(std::min<size_t>(40, 220 - folder.size()), 'd');
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
    }
    std::string file = folder + "\\prodinfo.ini";
    ASSERT_TRUE(WriteFile(file, "[Registry Paths For These Tests]\r\nRegMfgBase=LongOne\r\n"));
    LoadRegistryPaths(nullptr, file.c_str(), "Registry Paths For These Tests");
    EXPECT_STREQ("\\LongOne", MfgBase);
    ResetRegistryPaths();
}

// Bases read from the file really found stay, although it names no
// "RegProdBase", when a section key is opened.
TEST(RegistryLayout, OpeningKeepsTheBasesOfTheFileFound) {
    TempDir dir;
    std::string maker = UniqueName("3m");
    dir.Write("prodinfo.ini", "[Registry Paths]\r\nRegMfgBase=" + maker + "\r\n");
    LoadRegistryPaths(nullptr, dir.File("prodinfo.ini").c_str(), nullptr);
    EXPECT_EQ(nullptr, RootKey);
    HKEY key = OpenRegSection(16, 0);
    ASSERT_NE(nullptr, key);
    RegCloseKey(key);
    EXPECT_EQ(HKEY_LOCAL_MACHINE, RootKey);
    EXPECT_EQ("\\" + maker, std::string(MfgBase));
    EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, "Software\\" + maker + "\\Corvantis\\Install"));
    DeleteRegTree(HKEY_LOCAL_MACHINE, "Software\\" + maker);
    ResetRegistryPaths();
}

// ---------------------------------------------------------------- values

TEST_F(RegistryTest, ReadAndWriteLengths) {
    EXPECT_EQ(3, WriteRegString(16, 0, "Abc", "abc"));
    GuardedBuffer b(20);
    EXPECT_EQ(4, ReadRegString(16, 0, "Abc", b.data(), 20));
    EXPECT_STREQ("abc", b.c_str());
    EXPECT_EQ(3, ReadRegStringExpanded(16, 0, "abc", b.data(), 20, StandardValueFlags));

    EXPECT_EQ(0, WriteRegString(16, 0, "Empty", ""));
    EXPECT_EQ(1, ReadRegString(16, 0, "Empty", b.data(), 20));
    EXPECT_EQ(0, ReadRegStringExpanded(16, 0, "Empty", b.data(), 20, StandardValueFlags));
    EXPECT_STREQ("", b.c_str());
    EXPECT_TRUE(b.Intact());
    EXPECT_EQ(0, WriteRegString(16, 0, "Null", nullptr));
}

TEST_F(RegistryTest, FailedReadsLeaveNoText) {
    GuardedBuffer b(8);
    EXPECT_EQ(0, ReadRegString(16, 0, "Missing", b.data(), 8));
    EXPECT_STREQ("", b.c_str());
    WriteRegString(16, 0, "Long", "a value longer than the room");
    EXPECT_EQ(0, ReadRegString(16, 0, "Long", b.data(), 8));
    EXPECT_STREQ("", b.c_str());
    // Rooms that are not positive never reach the platform.
    GuardedBuffer none(1);
    EXPECT_EQ(0, ReadRegString(16, 0, "Long", none.data(), 0));
    EXPECT_EQ(0, ReadRegString(16, 0, "Long", none.data(), -1));
    EXPECT_EQ(0, ReadRegStringExpanded(16, 0, "Long", none.data(), -5, StandardValueFlags));
    EXPECT_TRUE(b.Intact());
    EXPECT_TRUE(none.Intact());
}

TEST_F(RegistryTest, QueryReportsStoredBytes) {
    HKEY key = OpenRegSection(16, 0);
    ASSERT_NE(nullptr, key);
    RegSetValueExA(key, "Val", 0, REG_SZ, (const BYTE*)"hello", 6);
    GuardedBuffer b(16);
    DWORD room = 16;
    EXPECT_EQ(ERROR_SUCCESS, QueryRegString(key, "Val", b.data(), &room));
    EXPECT_EQ(6u, room);
    EXPECT_STREQ("hello", b.c_str());
    room = 16;
    EXPECT_NE(ERROR_SUCCESS, QueryRegString(key, "Nope", b.data(), &room));
    EXPECT_EQ(0u, room);
    // Stored without its terminator: still read as a terminated text.
    RegSetValueExA(key, "Bare", 0, REG_SZ, (const BYTE*)"xyz", 3);
    room = 4;
    memset(b.data(), 'Q', 16);
    EXPECT_EQ(ERROR_SUCCESS, QueryRegString(key, "Bare", b.data(), &room));
    EXPECT_STREQ("xyz", b.c_str());
    EXPECT_TRUE(b.Intact());
    RegCloseKey(key);
}

TEST_F(RegistryTest, ExpansionFromGlobalsAndTheModelEnvironment) {
    ASSERT_NE(nullptr, CreateGlobalStringTable(3));
    AddGlobalString("Company", "Acme");
    AddGlobalString("Long", "0123456789abcdefghij");
    AddGlobalString("ProgramDir", "global wins");
    WriteRegString(17, 0, "DataDir", "C:\\Data");
    WriteRegString(17, 0, "ProgramDir", "C:\\Prog");
    WriteRegString(16, 0, "Path", "$DataDir$\\sub of $company$ $Nobody$ ; note");
    WriteRegString(16, 0, "Both", "$ProgramDir$");
    char b[260];
    EXPECT_EQ(28, ReadRegStringExpanded(16, 0, "Path", b, sizeof b, StandardValueFlags));
    EXPECT_STREQ("C:\\Data\\sub of Acme $Nobody$", b);
    ReadRegStringExpanded(16, 0, "Both", b, sizeof b, StandardValueFlags);
    EXPECT_STREQ("global wins", b);
    // An environment value may refer to further names.
    WriteRegString(17, 0, "Chain", "[$DataDir$]");
    WriteRegString(16, 0, "UsesChain", "$Chain$");
    ReadRegStringExpanded(16, 0, "UsesChain", b, sizeof b, StandardValueFlags);
    EXPECT_STREQ("[C:\\Data]", b);
    // Cut to the room, never past it.
    WriteRegString(16, 0, "Grows", "<$Long$>");
    GuardedBuffer small(10);
    EXPECT_EQ(9, ReadRegStringExpanded(16, 0, "Grows", small.data(), 10, StandardValueFlags));
    EXPECT_STREQ("<01234567", small.c_str());
    EXPECT_TRUE(small.Intact());
}

TEST_F(RegistryTest, ResolverStopsCycles) {
    WriteRegString(17, 0, "Self", "<$Self$>");
    WriteRegString(17, 0, "CycA", "($CycB$)");
    WriteRegString(17, 0, "CycB", "[$CycA$]");
    WriteRegString(16, 0, "Direct", "$Self$");
    WriteRegString(16, 0, "Indirect", "$CycA$");
    char b[260];
    ReadRegStringExpanded(16, 0, "Direct", b, sizeof b, StandardValueFlags);
    EXPECT_STREQ("<$Self$>", b);
    ReadRegStringExpanded(16, 0, "Indirect", b, sizeof b, StandardValueFlags);
    EXPECT_STREQ("([$CycA$])", b);
}

TEST_F(RegistryTest, ResolverLooksUpTheModelOfADevice) {
    SetDevice(0, "DefDevID", "21");
    SetDevice(21, "Model", "FX-21");
    WriteRegString(17, 0, "Where", "env");
    WriteRegString(14, 21, "Text", "in $Where$");
    char b[64];
    ReadRegStringExpanded(14, 21, "Text", b, sizeof b, StandardValueFlags);
    EXPECT_STREQ("in env", b);
}

// ---------------------------------------------------------------- device identity

TEST(DeviceIdentity, ParseRegNumber) {
    EXPECT_EQ(0, ParseRegNumber(nullptr));
    EXPECT_EQ(0, ParseRegNumber(""));
    EXPECT_EQ(42, ParseRegNumber("42"));
    EXPECT_EQ(-17, ParseRegNumber("  -17 units"));
    EXPECT_EQ(0, ParseRegNumber("abc"));
    EXPECT_EQ(0x1F, ParseRegNumber("0x1F"));
    EXPECT_EQ(0xAB, ParseRegNumber("0xab"));
    EXPECT_EQ(-1, ParseRegNumber("0xFFFFFFFF"));
    EXPECT_EQ(0x12345678, ParseRegNumber("0x123456789"));
    EXPECT_EQ(0, ParseRegNumber("0x"));
}

TEST(DeviceIdentity, ModelIdFromName) {
    EXPECT_EQ(0x62C4, ModelIdFromName("abc"));
    EXPECT_EQ(0x6261, ModelIdFromName("ab"));
    EXPECT_EQ('Q', ModelIdFromName("Q"));
    EXPECT_EQ(0, ModelIdFromName(""));
    EXPECT_EQ(0, ModelIdFromName(nullptr));
    EXPECT_EQ(0xFFFF, ModelIdFromName("\xFF\xFF"));
    // The sum wraps at 16 bits.
    EXPECT_EQ((WORD)(0xFFFF + 0xFFFF), ModelIdFromName("\xFF\xFF\xFF\xFF"));
}

TEST_F(RegistryTest, DefaultDeviceAndModels) {
    EXPECT_EQ(0, GetDefaultDeviceId());
    EXPECT_EQ(0, GetFirstModelId(nullptr, 0));
    EXPECT_EQ(0, GetModelForDevice(0));

    SetDevice(0, "DefDevID", "12");
    SetDevice(12, "Model", "FX-1");
    ASSERT_TRUE(SetRegString(HKEY_LOCAL_MACHINE, tree_.Key("\\Models"), "0", "FX-Base"));
    EXPECT_EQ(12, GetDefaultDeviceId());
    EXPECT_EQ(ModelIdFromName("FX-1"), GetModelForDevice(0));
    EXPECT_EQ(ModelIdFromName("FX-1"), GetModelForDevice(12));
    // A device that is not registered, or has no model: the first model.
    EXPECT_EQ(ModelIdFromName("FX-Base"), GetModelForDevice(99));
    GuardedBuffer name(5);
    EXPECT_EQ(ModelIdFromName("FX-Base"), GetFirstModelId(name.data(), 5));
    EXPECT_STREQ("FX-B", name.c_str());
    EXPECT_TRUE(name.Intact());

    SetDevice(0, "DefDevID", "0x1F");
    EXPECT_EQ(0x1F, GetDefaultDeviceId());
}

TEST_F(RegistryTest, DeviceValueReadsAndWrites) {
    SetDevice(7, "Model", "FX-7");
    char text[16] = "2.01";
    EXPECT_EQ(ERROR_SUCCESS, DeviceValue(7, "FWRev", text, 0));
    GuardedBuffer b(16);
    EXPECT_EQ(ERROR_SUCCESS, DeviceValue(7, "FWRev", b.data(), 16));
    EXPECT_STREQ("2.01", b.c_str());
    // A device that is not registered is not created.
    EXPECT_NE(ERROR_SUCCESS, DeviceValue(8, "FWRev", b.data(), 16));
    EXPECT_STREQ("", b.c_str());
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, Device(8)));
    EXPECT_NE(ERROR_SUCCESS, DeviceValue(7, "FWRev", b.data(), -1));
    EXPECT_TRUE(b.Intact());
}

namespace {
struct Seen {
    long Id;
    WORD Model, Port, Country;
    short Derivative;
    std::string Name, Firmware;
};

int Collect(HKEY key, long id, WORD model, WORD port, const char* name, short derivative,
            WORD country, const char* firmware, void* user) {
    ((std::vector<Seen>*)user)->push_back({id, model, port, country, derivative, name, firmware});
    return 1;
}

int StopAtOnce(HKEY, long, WORD, WORD, const char*, short, WORD, const char*, void* user) {
    ++*(int*)user;
    return 0;
}
}  // namespace

TEST_F(RegistryTest, EnumDevicesReadsEveryRecord) {
    SetDevice(0, "DefDevID", "11");
    SetDevice(11, "Model", "FX-2");
    SetDevice(11, "Derivative", "5");
    SetDevice(11, "FWRev", "R1");
    SetDevice(11, "PortID", "0x10");
    SetDevice(11, "CountryCode", "49");
    SetDevice(12, "Model", "FX-2");
    SetDevice(-12345, "Model", "Neg");
    SetDevice(-12345, "Derivative", "5");
    SetDevice(10042, "Model", "Big");
    SetDevice(10042, "Derivative", "3");
    ASSERT_TRUE(SetRegString(HKEY_LOCAL_MACHINE, tree_.Key("\\Devices\\abc"), "Model", "FX-2"));
    // A device without a model is passed over; the walk goes on after it.
    ASSERT_TRUE(SetRegString(HKEY_LOCAL_MACHINE, Device(13), "FWRev", "none"));

    std::vector<Seen> seen;
    EXPECT_EQ(4, EnumDevices(Collect, &seen));
    ASSERT_EQ(4u, seen.size());
    auto find = [&](long id) {
        return *std::find_if(seen.begin(), seen.end(), [id](const Seen& s) { return s.Id == id; });
    };
    Seen eleven = find(11);
    EXPECT_EQ(ModelIdFromName("FX-2"), eleven.Model);
    EXPECT_EQ("FX-2", eleven.Name);
    EXPECT_EQ(5 - 1, eleven.Derivative);  // 11 % 10000 / 10 == 1
    EXPECT_EQ("R1", eleven.Firmware);
    EXPECT_EQ(0x10, eleven.Port);
    EXPECT_EQ(49, eleven.Country);
    Seen twelve = find(12);
    EXPECT_EQ(0, twelve.Derivative);  // no "Derivative" value
    EXPECT_EQ("", twelve.Firmware);
    EXPECT_EQ(0, twelve.Port);
    EXPECT_EQ(5 + 234, find(-12345).Derivative);  // -12345 % 10000 / 10 == -234
    EXPECT_EQ(3 - 4, find(10042).Derivative);      // 10042 % 10000 / 10 == 4

    // Both 11 and 12 have the model: the one the walk meets last wins.
    long last = 0;
    for (const Seen& s : seen)
        if (s.Model == ModelIdFromName("FX-2")) last = s.Id;
    EXPECT_EQ(last, FindDeviceForModel(ModelIdFromName("FX-2")));
    EXPECT_EQ(-12345, FindDeviceForModel(ModelIdFromName("Neg")));
    EXPECT_EQ(0, FindDeviceForModel(ModelIdFromName("None")));
    EXPECT_EQ(0, FindDeviceForModel(0x10000L + ModelIdFromName("Neg")));

    int calls = 0;
    EXPECT_EQ(0, EnumDevices(StopAtOnce, &calls));
    EXPECT_EQ(1, calls);
    EXPECT_EQ(0, EnumDevices(nullptr, nullptr));
}

namespace {
// From inside the walk: another thread cannot take the mutex, and the
// callback itself may write.
struct WalkProbe {
    DWORD OtherThreadWait = 0;
    short Written = 0;
    DWORD WriteMs = 0;
};

int ProbeTheLock(HKEY, long, WORD, WORD, const char*, short, WORD, const char*, void* user) {
    WalkProbe* probe = (WalkProbe*)user;
    std::thread other([probe] {
        HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, "klRegMutex");
        probe->OtherThreadWait = mutex ? WaitForSingleObject(mutex, 0) : WAIT_FAILED;
        if (probe->OtherThreadWait == WAIT_OBJECT_0) ReleaseMutex(mutex);
        if (mutex) CloseHandle(mutex);
    });
    other.join();
    DWORD start = GetTickCount();
    probe->Written = WriteRegString(16, 0, "FromWalk", "yes");
    probe->WriteMs = GetTickCount() - start;
    return 0;
}
}  // namespace

TEST_F(RegistryTest, EnumDevicesHoldsTheMutexAndMayWrite) {
    SetDevice(5, "Model", "FX-5");
    WalkProbe probe;
    EnumDevices(ProbeTheLock, &probe);
    EXPECT_EQ((DWORD)WAIT_TIMEOUT, probe.OtherThreadWait);
    EXPECT_EQ(3, probe.Written);
    EXPECT_LT(probe.WriteMs, 2000u);
    // Released after the walk.
    HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, "klRegMutex");
    ASSERT_NE(nullptr, mutex);
    DWORD wait = 0;
    std::thread([&] {
        wait = WaitForSingleObject(mutex, 0);
        if (wait == WAIT_OBJECT_0) ReleaseMutex(mutex);
    }).join();
    EXPECT_EQ((DWORD)WAIT_OBJECT_0, wait);
    CloseHandle(mutex);
}
