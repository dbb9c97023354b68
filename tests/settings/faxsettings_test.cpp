#include <gtest/gtest.h>

#include <string>

#include "app/profile.h"
#include "common/util.h"
#include "settings/faxsettings.h"
#include "tests/settings/settings_record.h"
#include "tests/settings/sim_device.h"

using wiztest::GuardedBuffer;
using wiztest::TempDir;

namespace {

const char kWindowsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
bool DoubleByteCodePage() { return GetACP() == 932; }

std::string RegValue(const char* name) {
    char buffer[512] = "";
    DWORD size = sizeof buffer;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, kWindowsKey, name, RRF_RT_REG_SZ, nullptr, buffer,
                     &size) != ERROR_SUCCESS)
        return "\x01missing";
    return buffer;
}

void SetRegValue(const char* name, const std::string& value) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kWindowsKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    if (value == "\x01missing")
        RegDeleteValueA(key, name);
    else
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       (DWORD)value.size() + 1);
    RegCloseKey(key);
}

// The record as start-up leaves it: construction values, paths of our own.
class Settings : public ::testing::Test {
protected:
    void SetUp() override {
        owner_ = RegValue("RegisteredOwner");
        organization_ = RegValue("RegisteredOrganization");
        SetRegValue("RegisteredOwner", "");
        SetRegValue("RegisteredOrganization", "");

        settingstest::ResetRecord(dir_, device_.id());
    }
    void TearDown() override {
        SetRegValue("RegisteredOwner", owner_);
        SetRegValue("RegisteredOrganization", organization_);
        FaxSettings.DeviceClient = FaxSettings.ObjectChannel = 0;
    }

    void Connect() { device_.Connect(FaxSettings.DeviceClient, FaxSettings.ObjectChannel); }
    void Ini(const std::string& setupLines) {
        dir_.Write("prod.ini", "[Setup]\r\n" + setupLines);
        FlushIniCache(FaxSettings.ProdIniFile);
    }
    std::string Prod(const char* key) { return settingstest::ProductValue(key); }
    std::string Reg(const char* key) { return settingstest::RegistrationValue(key); }

    SimDevice device_{-42};
    TempDir dir_;
    std::string owner_, organization_;
};

}  // namespace

TEST_F(Settings, ConstructionValues) {
    // A record of our own, built as the global one is.
    static CFaxSettings fresh;
    EXPECT_EQ(0, fresh.RingPatternIndex);
    EXPECT_EQ(1, fresh.DedicatedLine);
    EXPECT_EQ(0, fresh.DistinctiveRing);
    EXPECT_EQ(1, fresh.RingsToAnswer);
    EXPECT_EQ(1, fresh.AutoAnswer);
    EXPECT_EQ(0, fresh.DeviceClient);
    EXPECT_TRUE(fresh.UserName.IsEmpty());
    const long codes[] = {1, 2, 4, 6, 7};
    for (int i = 0; i < RingPatternCount; ++i) EXPECT_EQ(codes[i], RingPatternTable[i]);
}

TEST_F(Settings, FreshSystemTakesTheRegisteredOwnerCut) {
    SetRegValue("RegisteredOwner", "Bartholomew Featherstonehaugh-Smythe III");  // 40
    SetRegValue("RegisteredOrganization", "Example Widgets Ltd");
    EXPECT_EQ(1, FaxSettings.LoadFaxSettings());
    EXPECT_STREQ("Bartholomew Featherstoneha", FaxSettings.UserName);
    EXPECT_STREQ("Example Widgets Ltd", FaxSettings.Company);
    EXPECT_EQ(1, FaxSettings.DedicatedLine);
    EXPECT_EQ(1, FaxSettings.DistinctiveRing);
    EXPECT_EQ(0, FaxSettings.TAM);
    EXPECT_EQ(0, FaxSettings.Modem);
    EXPECT_STREQ("", FaxSettings.FaxNumber);
    EXPECT_STREQ("", FaxSettings.VoiceNumber);
    EXPECT_EQ(0, FaxSettings.DeviceOptionSupported);
}

TEST_F(Settings, IniValuesWinOverRegistryAndFlagsReadByFirstLetter) {
    SetRegValue("RegisteredOwner", "Owner");
    SetRegValue("RegisteredOrganization", "Org");
    Ini("TTIName=Ann Example\r\nUserName=Ignored\r\nCompany=Acme\r\nDedicatedLine=No\r\n"
        "TAM=yes\r\nModem=True\r\nDistinctiveRing=0\r\nFaxNumber=555 0100\r\nVoiceNumber=555 0101\r\n");
    FaxSettings.LoadFaxSettings();
    EXPECT_STREQ("Ann Example", FaxSettings.UserName);
    EXPECT_STREQ("Acme", FaxSettings.Company);
    EXPECT_EQ(0, FaxSettings.DedicatedLine);
    EXPECT_EQ(1, FaxSettings.TAM);
    EXPECT_EQ(1, FaxSettings.Modem);
    EXPECT_EQ(1, FaxSettings.DistinctiveRing);  // the key is never read
    EXPECT_STREQ("555 0100", FaxSettings.FaxNumber);
    EXPECT_STREQ("555 0101", FaxSettings.VoiceNumber);

    for (const char* tam : {"Y", "y", "1", "t"}) {
        Ini(std::string("TAM=") + tam + "\r\n");
        FaxSettings.LoadFaxSettings();
        EXPECT_EQ(1, FaxSettings.TAM) << tam;
    }
    for (const char* tam : {"Q", "x", "", "2"}) {
        Ini(std::string("TAM=") + tam + "\r\n");
        FaxSettings.LoadFaxSettings();
        EXPECT_EQ(0, FaxSettings.TAM) << tam;
    }
}

TEST_F(Settings, DeviceValuesLoad) {
    Connect();
    device_.SetText(32, "Device Name");
    device_.SetText(31, "+1 555 0199");
    device_.SetInt(51, 4);
    Ini("FaxNumber=111\r\nVoiceNumber=222\r\nDedicatedLine=0\r\n");
    FaxSettings.LoadFaxSettings();
    EXPECT_STREQ("Device Name", FaxSettings.UserName);
    EXPECT_STREQ("+1 555 0199", FaxSettings.FaxNumber);  // the device wins
    EXPECT_EQ(2, FaxSettings.RingPatternIndex);
    EXPECT_EQ(1, FaxSettings.DistinctiveRing);
    EXPECT_STREQ("222", FaxSettings.VoiceNumber);
    EXPECT_EQ(1, FaxSettings.DeviceOptionSupported);
    EXPECT_EQ(0, FaxSettings.DeviceOption);

    // Pattern 7: no distinctive ring; on a shared line the voice number is the fax number.
    device_.SetInt(51, 7);
    device_.SetText(31, "");
    device_.SetInt(45, 2);
    FaxSettings.LoadFaxSettings();
    EXPECT_EQ(4, FaxSettings.RingPatternIndex);
    EXPECT_EQ(0, FaxSettings.DistinctiveRing);
    EXPECT_STREQ("111", FaxSettings.FaxNumber);  // the device gave none
    EXPECT_STREQ("111", FaxSettings.VoiceNumber);
    EXPECT_EQ(1, FaxSettings.DeviceOption);

    device_.Modify([](devsim::DeviceState& s) { s.info[17] = 0; });
    FaxSettings.DeviceOption = 0;
    FaxSettings.LoadFaxSettings();
    EXPECT_EQ(0, FaxSettings.DeviceOptionSupported);
    EXPECT_EQ(0, FaxSettings.DeviceOption);
}

TEST_F(Settings, SaveWritesBothIniFilesAndTheDeviceInOrder) {
    Connect();
    CFaxSettings& f = FaxSettings;
    f.UserName = "Maximiliane Oberhauser-Kling";  // 28
    f.Company = "Acme";
    f.FaxNumber = "+1 (555) 010-0199 ext 1234";   // 26
    f.VoiceNumber = "555 0101";
    f.DedicatedLine = 0;
    f.DistinctiveRing = 1;
    f.TAM = 1;
    f.Modem = 0;
    f.RingsToAnswer = 3;
    f.AutoAnswer = 1;
    f.RingPatternIndex = 1;
    f.DeviceOptionSupported = 1;
    f.DeviceOption = 1;
    EXPECT_EQ(1, f.SaveFaxSettings());

    EXPECT_EQ("Maximiliane Oberhauser-Kling", Prod("UserName"));
    EXPECT_EQ("Maximiliane Oberhauser-Kling", Prod("TTIName"));
    EXPECT_EQ("Acme", Prod("Company"));
    EXPECT_EQ("0", Prod("DedicatedLine"));
    EXPECT_EQ("1", Prod("DistinctiveRing"));
    EXPECT_EQ("1", Prod("TAM"));
    EXPECT_EQ("0", Prod("Modem"));
    EXPECT_EQ("+1 (555) 010-0199 ext 1234", Prod("FaxNumber"));
    EXPECT_EQ("+1 (555) 010-0199 ext 1234", Prod("TTIFaxNumber"));
    EXPECT_EQ("555 0101", Prod("VoiceNumber"));
    EXPECT_EQ("<none>", Prod("SoftwareVersion"));

    EXPECT_EQ("Maximiliane Oberhauser-Kling", Reg("UserName"));
    EXPECT_EQ("0", Reg("DedicatedLine"));
    EXPECT_EQ("1", Reg("DistinctiveRing"));
    EXPECT_EQ("1", Reg("TAM"));
    EXPECT_EQ("0", Reg("Modem"));
    EXPECT_EQ("+1 (555) 010-0199 ext 1234", Reg("FaxNumber"));
    EXPECT_EQ("A.06.02.03", Reg("SoftwareVersion"));
    EXPECT_EQ("<none>", Reg("Company"));
    EXPECT_NE(std::string::npos,
              wiztest::ReadFile(f.DeviceIniPath.GetString()).find("[Device: -42]"));

    std::vector<std::string> j = device_.Journal();
    ASSERT_EQ(6u, j.size());
    EXPECT_EQ("object 48 type 2 length 4 value 3 result 0", j[0]);
    EXPECT_EQ("object 46 type 1 length 2 value 2 result 0", j[1]);
    EXPECT_EQ("object 31 type 4 length 21 value \"+1 (555) 010-0199 ext\" result 0", j[2]);
    EXPECT_EQ("object 32 type 4 length 26 value \"Maximiliane Oberhauser-Kli\" result 0", j[3]);
    EXPECT_EQ("object 51 type 8 length 4 value 2 result 0", j[4]);
    EXPECT_EQ("object 45 type 1 length 2 value 2 result 0", j[5]);
    // The record keeps the full texts.
    EXPECT_STREQ("Maximiliane Oberhauser-Kling", f.UserName);
}

TEST_F(Settings, LineBreaksFromTheRegistryAndTheDeviceNeverReachAStoredValue) {
    Connect();
    device_.SetText(32, "Ann\r\n[Setup]");
    device_.SetText(31, "555\t0100");
    SetRegValue("RegisteredOrganization", "X\rY=Z\n[Setup]");
    Ini("DedicatedLine=1\r\nVoiceNumber=222\r\n");
    FaxSettings.LoadFaxSettings();
    EXPECT_STREQ("X Y=Z [Setup]", FaxSettings.Company);
    EXPECT_STREQ("Ann  [Setup]", FaxSettings.UserName);
    EXPECT_STREQ("555 0100", FaxSettings.FaxNumber);

    // Whatever sets a text later is stored as one line as well.
    FaxSettings.VoiceNumber = "1\r\n[Device: -42]\r\nFaxNumber=9";
    FaxSettings.SaveFaxSettings();
    std::string prod = wiztest::ReadFile(FaxSettings.ProdIniFile.GetString());
    EXPECT_EQ(0u, prod.find("[Setup]"));
    EXPECT_EQ(std::string::npos, prod.find("\n[")) << prod;  // no header but the first
    EXPECT_EQ("X Y=Z [Setup]", Prod("Company"));
    EXPECT_EQ("1  [Device: -42]  FaxNumber=9", Prod("VoiceNumber"));
    EXPECT_EQ("<none>", Prod("Y"));
    EXPECT_EQ("555 0100", Reg("FaxNumber"));
    for (const std::string& line : device_.Journal())
        EXPECT_EQ(std::string::npos, line.find("\\x0")) << line;
}

TEST_F(Settings, SaveNeverWritesZeroToObjects45And46) {
    Connect();
    FaxSettings.AutoAnswer = 0;
    FaxSettings.DeviceOptionSupported = 0;
    FaxSettings.DeviceOption = 1;
    FaxSettings.SaveFaxSettings();
    FaxSettings.DeviceOptionSupported = 1;
    FaxSettings.DeviceOption = 0;
    FaxSettings.AutoAnswer = 5;
    FaxSettings.SaveFaxSettings();
    std::vector<std::string> j = device_.Journal();
    ASSERT_EQ(12u, j.size());
    EXPECT_EQ("object 46 type 1 length 2 value 1 result 0", j[1]);
    EXPECT_EQ("object 45 type 1 length 2 value 1 result 0", j[5]);
    EXPECT_EQ("object 46 type 1 length 2 value 2 result 0", j[7]);
    EXPECT_EQ("object 45 type 1 length 2 value 1 result 0", j[11]);
}

TEST_F(Settings, NoDistinctiveRingAlwaysSavesCode7) {
    Connect();
    FaxSettings.DistinctiveRing = 0;
    FaxSettings.RingPatternIndex = 1;
    FaxSettings.SaveFaxSettings();
    EXPECT_EQ(4, FaxSettings.RingPatternIndex);
    EXPECT_EQ("object 51 type 8 length 4 value 7 result 0", device_.Journal()[4]);
    EXPECT_EQ("0", Prod("DistinctiveRing"));
}

TEST_F(Settings, UnknownDevicePatternIsLeftAsTheDeviceHasIt) {
    Connect();
    device_.SetInt(51, 3);
    FaxSettings.LoadFaxSettings();
    EXPECT_EQ(5, FaxSettings.RingPatternIndex);
    EXPECT_EQ(1, FaxSettings.DistinctiveRing);
    FaxSettings.SaveFaxSettings();
    std::vector<std::string> j = device_.Journal();
    ASSERT_EQ(5u, j.size());
    for (const std::string& line : j) EXPECT_EQ(std::string::npos, line.find("object 51"));
    EXPECT_EQ(0u, j[4].find("object 45"));
    long code = 0;
    memcpy(&code, device_.State().objects[51].bytes.data(), 4);
    EXPECT_EQ(3, code);
}

TEST_F(Settings, OfflineDeviceGetsNoCalls) {
    device_.Modify([](devsim::DeviceState& s) { s.online = false; });
    Connect();
    EXPECT_NE(0, FaxSettings.DeviceClient);
    EXPECT_EQ(0, FaxSettings.ObjectChannel);
    Ini("TTIName=Ann\r\nFaxNumber=555\r\n");
    FaxSettings.LoadFaxSettings();
    EXPECT_STREQ("Ann", FaxSettings.UserName);
    EXPECT_STREQ("555", FaxSettings.FaxNumber);
    EXPECT_EQ(1, FaxSettings.DistinctiveRing);
    EXPECT_EQ(0, FaxSettings.DeviceOptionSupported);
    FaxSettings.SaveFaxSettings();
    EXPECT_TRUE(device_.Journal().empty());
    EXPECT_EQ("Ann", Prod("UserName"));
    EXPECT_EQ("A.06.02.03", Reg("SoftwareVersion"));
}

TEST_F(Settings, FailedWritesDoNotStopTheOnesAfter) {
    Connect();
    device_.Modify([](devsim::DeviceState& s) { s.failObjects = {48, 31}; });
    FaxSettings.UserName = "Ann";
    FaxSettings.FaxNumber = "555";
    FaxSettings.DistinctiveRing = 0;
    EXPECT_EQ(1, FaxSettings.SaveFaxSettings());
    std::vector<std::string> j = device_.Journal();
    ASSERT_EQ(6u, j.size());
    EXPECT_NE(std::string::npos, j[0].find("result -"));
    EXPECT_NE(std::string::npos, j[2].find("result -"));
    EXPECT_NE(std::string::npos, j[5].find("result 0"));
    devsim::DeviceState s = device_.State();
    EXPECT_EQ("Ann", s.objects[32].bytes);
    EXPECT_EQ("", s.objects[31].bytes);
}

TEST_F(Settings, DoubleByteNameReachesTheDeviceAsQuestionMarks) {
    if (!DoubleByteCodePage()) GTEST_SKIP() << "needs code page 932";
    Connect();
    // "Tanaka" in two kanji, then ASCII.
    std::string name = "\x93\x63\x92\x86 Taro";
    FaxSettings.UserName = name.c_str();
    FaxSettings.SaveFaxSettings();
    EXPECT_EQ("?? Taro", device_.State().objects[32].bytes);
    EXPECT_EQ(name, Prod("UserName"));
    // A registered owner cut at 26 bytes loses a split character, not half of it.
    SetRegValue("RegisteredOwner", std::string(25, 'a') + "\x93\x63\x92\x86");
    FaxSettings.ProdIniFile = dir_.File("empty.ini").c_str();
    FaxSettings.DeviceClient = FaxSettings.ObjectChannel = 0;
    FaxSettings.LoadFaxSettings();
    EXPECT_EQ(std::string(25, 'a'), FaxSettings.UserName.GetString());
}

// The device's 26 bytes of name get the same whole-character cut as the
// registered owner: a character that does not fit is left out, not sent as a
// "?" for its first half.
TEST_F(Settings, DeviceCutsKeepWholeCharacters) {
    if (!DoubleByteCodePage()) GTEST_SKIP() << "needs code page 932";
    Connect();
    const std::string kanji = "\x95\x5c";  // second byte 0x5C
    std::string thirteen;
    for (int i = 0; i < 13; ++i) thirteen += kanji;
    const struct { std::string name, device; } cases[] = {
        {thirteen, std::string(13, '?')},                                   // 26 bytes: all of it
        {"a" + thirteen, "a" + std::string(12, '?')},                       // 27: the last one goes
        {"a" + std::string(24, 'b') + kanji, "a" + std::string(24, 'b')},  // 27
        {std::string(24, 'b') + kanji, std::string(24, 'b') + "?"},        // 26
    };
    for (const auto& c : cases) {
        FaxSettings.UserName = c.name.c_str();
        FaxSettings.FaxNumber = "+81 3 5555 0100 1234 5678";
        FaxSettings.SaveFaxSettings();
        devsim::DeviceState s = device_.State();
        EXPECT_EQ(c.device, s.objects[32].bytes) << c.name.size() << " bytes";
        EXPECT_EQ("+81 3 5555 0100 1234 ", s.objects[31].bytes);
        EXPECT_EQ(c.name, Prod("UserName"));
    }
}

TEST_F(Settings, SameFaxAndVoiceNumberComparesDigits) {
    struct Case {
        const char* fax;
        const char* voice;
        int same;
    } cases[] = {
        {"(555) 010-0199", "555.010.0199", 1},
        {"+1 555 0100", "1-555-0100", 1},
        {"555 0100", "555 0101", 0},
        {"office", "home", 1},  // no digits on either side
        {"", "", 0},
        {"555", "", 0},
        {"", "555", 0},
        {"5550", "555", 0},
    };
    for (const Case& c : cases) {
        FaxSettings.FaxNumber = c.fax;
        FaxSettings.VoiceNumber = c.voice;
        EXPECT_EQ(c.same, FaxSettings.SameFaxAndVoiceNumber()) << c.fax << " / " << c.voice;
    }
}

TEST_F(Settings, RingCountsFromTheDeviceParameters) {
    EXPECT_EQ(0, FaxSettings.GetDefaultRings());  // no client
    Connect();
    device_.Modify([](devsim::DeviceState& s) {
        s.params[15] = 3;
        s.params[16] = 6;
    });
    EXPECT_EQ(3, FaxSettings.GetDefaultRings());
    EXPECT_EQ(6, FaxSettings.GetAnsweringMachineRings());
    device_.Modify([](devsim::DeviceState& s) { s.params.erase(16); });
    EXPECT_EQ(0, FaxSettings.GetAnsweringMachineRings());
}

TEST(ReadRegistryString, ReadsStringsOnlyAndWithinTheBuffer) {
    char subkey[64];
    snprintf(subkey, sizeof subkey, "Software\\WizTest\\regstring_%lu", GetCurrentProcessId());
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, subkey, 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegSetValueExA(key, "Text", 0, REG_SZ, reinterpret_cast<const BYTE*>("C:\\Root"), 8);
    DWORD number = 5;
    RegSetValueExA(key, "Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4);
    RegSetValueExA(key, "Bare", 0, REG_SZ, reinterpret_cast<const BYTE*>("abcd"), 4);
    RegCloseKey(key);

    GuardedBuffer b(8);
    EXPECT_EQ(1, ReadRegistryString(HKEY_CURRENT_USER, subkey, "Text", b.data(), 8));
    EXPECT_STREQ("C:\\Root", b.c_str());
    EXPECT_EQ(1, ReadRegistryString(HKEY_CURRENT_USER, subkey, "Bare", b.data(), 8));
    EXPECT_STREQ("abcd", b.c_str());
    EXPECT_EQ(0, ReadRegistryString(HKEY_CURRENT_USER, subkey, "Number", b.data(), 8));
    EXPECT_EQ(0, ReadRegistryString(HKEY_CURRENT_USER, subkey, "Missing", b.data(), 8));
    EXPECT_EQ(0, ReadRegistryString(HKEY_CURRENT_USER, subkey, "Text", b.data(), 4));
    EXPECT_TRUE(b.Intact());
    EXPECT_EQ(0, ReadRegistryString(HKEY_CURRENT_USER, "Software\\WizTest\\none", "Text",
                                    b.data(), 8));
    // A subkey too long for the work buffer is refused, not cut.
    std::string longKey = std::string(subkey) + "\\" + std::string(260, 'k');
    EXPECT_EQ(0, ReadRegistryString(HKEY_CURRENT_USER, longKey.c_str(), "Text", b.data(), 8));
    // Root 0 is the local machine.
    char dir[MAX_PATH];
    EXPECT_EQ(1, ReadRegistryString(0, kWindowsKey, "ProgramFilesDir", dir, sizeof dir));
    EXPECT_NE('\0', dir[0]);

    RegDeleteKeyA(HKEY_CURRENT_USER, subkey);
}

// Damaged product and registration INI files: the settings load and save,
// and the values of other sections stored before are still there.
TEST_F(Settings, DamagedIniFilesLoadSaveAndKeepWhatWasStored) {
    std::string garbage;
    unsigned seed = 5;
    for (int i = 0; i < 2048; ++i) {
        char c = (char)((seed = seed * 1103515245 + 12345) >> 16);
        garbage += c == '[' ? ' ' : c;  // no header of its own
    }
    const std::string kept = "[Other]\r\nKeep=stored before\r\n";
    std::vector<std::string> damages = {
        kept + garbage,
        kept + "[Setup]\r\nUserName=" + std::string(10000, 'N') + "\r\nCompany=Acme",
        kept + "[Setup]\r\nFax" + std::string(1, '\0') + "Number=1\r\n",
        kept + "[Setup]\r\n" + garbage + "\r\n",
        "[Setup]\r\nA" + std::string(1, '\0') + "B\r\n" + garbage + "\r\n" + kept,
    };
    // 10,000 sections; their number has nothing to do with the code page.
    if (GetACP() != 932) {
        damages.push_back(kept);
        for (int i = 0; i < 10000; ++i)
            damages.back() += "[S" + std::to_string(i) + "]\r\nk=v\r\n";
    }
    for (const std::string& damage : damages) {
        dir_.Write("prod.ini", damage);
        dir_.Write("KLCV_REG.INI", damage);
        FlushIniCache(FaxSettings.ProdIniFile);
        FlushIniCache(FaxSettings.DeviceIniPath);
        FaxSettings.LoadFaxSettings();
        EXPECT_LE(FaxSettings.UserName.GetLength(), 255);
        FaxSettings.UserName = "Ann";
        EXPECT_EQ(1, FaxSettings.SaveFaxSettings());
        EXPECT_EQ("Ann", Prod("UserName"));
        EXPECT_EQ("Ann", Reg("UserName"));
        EXPECT_EQ(std::string("stored before"),
                  ReadIniString("Other", "Keep", "<none>", FaxSettings.ProdIniFile));
        EXPECT_EQ(std::string("stored before"),
                  ReadIniString("Other", "Keep", "<none>", FaxSettings.DeviceIniPath));
    }
}

// The product and registration INI files as a finished run leaves them, cut
// at every length: whatever whole line of another section was stored before
// the cut is still there after the next load and save.
TEST_F(Settings, IniFilesCutAtEveryLengthKeepTheirWholeLines) {
    // Single-byte text: the double-byte run would repeat the same.
    if (GetACP() == 932) GTEST_SKIP() << "runs in the single-byte run only";
    FaxSettings.UserName = "Ann";
    FaxSettings.FaxNumber = "555 0100";
    dir_.Write("prod.ini", "[Other]\r\nKeep=stored before\r\n");
    dir_.Write("KLCV_REG.INI", "[Other]\r\nKeep=stored before\r\n");
    FaxSettings.SaveFaxSettings();
    const std::string prod = wiztest::ReadFile(FaxSettings.ProdIniFile.GetString());
    const std::string reg = wiztest::ReadFile(FaxSettings.DeviceIniPath.GetString());
    ASSERT_NE(std::string::npos, prod.find("FaxNumber=555 0100"));
    for (size_t n = 0; n <= prod.size() || n <= reg.size(); ++n) {
        SCOPED_TRACE("cut at " + std::to_string(n));
        dir_.Write("prod.ini", prod.substr(0, n));
        dir_.Write("KLCV_REG.INI", reg.substr(0, n));
        FlushIniCache(FaxSettings.ProdIniFile);
        FlushIniCache(FaxSettings.DeviceIniPath);
        FaxSettings.LoadFaxSettings();
        FaxSettings.UserName = "Ann";
        ASSERT_EQ(1, FaxSettings.SaveFaxSettings());
        ASSERT_EQ("Ann", Prod("UserName"));
        ASSERT_EQ("Ann", Reg("UserName"));
        const std::string keep = "Keep=stored before\r\n";
        if (prod.substr(0, n).find(keep) != std::string::npos) {
            ASSERT_EQ(std::string("stored before"),
                      ReadIniString("Other", "Keep", "<none>", FaxSettings.ProdIniFile));
        }
        if (reg.substr(0, n).find(keep) != std::string::npos) {
            ASSERT_EQ(std::string("stored before"),
                      ReadIniString("Other", "Keep", "<none>", FaxSettings.DeviceIniPath));
        }
    }
}
