// Japanese text from the keyboard to the printer: the real pages of the
// Japanese module, under code page 932, with names, companies, folders and a
// user name of double-byte characters. What every place stores is checked
// byte for byte: no character split anywhere, the same cut wherever a text is
// cut, and no second byte 0x5C ever taken for a backslash.
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "common/util.h"
#include "resources/resource_ids.h"
#include "tests/pages/road_fixture.h"

using namespace roadtest;
using wiztest::UiDriver;
using wiztest::UiStep;

namespace {

// Characters whose second byte is 0x5C, and a plain one.
const std::string kHyo = "\x95\x5c";   // 表
const std::string kNou = "\x94\x5c";   // 能
const std::string kSo = "\x83\x5c";    // ソ
const std::string kYama = "\x8e\x52";  // 山

// count double-byte characters, the backslash-like ones among them.
std::string Kanji(int count) {
    const std::string cycle[] = {kHyo, kYama, kNou, kSo};
    std::string out;
    for (int i = 0; i < count; ++i) out += cycle[i % 4];
    return out;
}

// The longest start of text of at most bytes bytes that ends on a whole character.
std::string Whole(const std::string& text, size_t bytes) {
    size_t n = 0;
    while (n < text.size()) {
        size_t step = IsDBCSLeadByte((BYTE)text[n]) && n + 1 < text.size() ? 2 : 1;
        if (n + step > bytes) break;
        n += step;
    }
    return text.substr(0, n);
}

// Ends on a whole character: the last byte is no lone lead byte.
bool EndsWhole(const std::string& text) {
    size_t n = 0;
    while (n < text.size()) n += IsDBCSLeadByte((BYTE)text[n]) ? 2 : 1;
    return n == text.size();
}

// What the device holds for a text: one "?" for each double-byte character.
std::string AsTheDeviceHasIt(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsDBCSLeadByte((BYTE)text[i])) {
            out += '?';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string DeviceObject(const std::vector<std::string>& journal, int id) {
    std::string prefix = "object " + std::to_string(id) + " ";
    for (const std::string& line : journal)
        if (line.rfind(prefix, 0) == 0) return line;
    return "<none>";
}

class JapaneseRoad : public RoadFixture {
protected:
    void SetUp() override {
        ASSERT_EQ(932u, GetACP());
        Start("JPN");
        // The road ends on the finish page: settings saved, no editor.
        AllRealPages();
        EndAt({IDD_FINISH});
    }

    // Product INI, registration INI and summary in a folder of their own,
    // whose name ends in a character with a second byte 0x5C.
    void FolderOf(const std::string& name) {
        folder_ = dir_.path() + "\\" + name;
        ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr)) << folder_ << " error " << GetLastError();
        FaxSettings.DataDir = folder_.c_str();
        FaxSettings.ProdIniFile = (folder_ + "\\product.ini").c_str();
        FaxSettings.DeviceIniPath = (folder_ + "\\KLCV_REG.INI").c_str();
        wiztest::WriteFile(folder_ + "\\product.ini", "[Setup]\r\nTTIName=x\r\n");
        FlushIniCache(FaxSettings.ProdIniFile);
    }
    void SummaryTemplate(const std::string& text) {
        wiztest::WriteFile(folder_ + "\\summary.ini", text);
        FlushIniCache((folder_ + "\\summary.ini").c_str());
    }
    std::string Summary() { return wiztest::ReadFile(folder_ + "\\summary.txt"); }

    // The road of a dedicated line from the welcome page past the summary;
    // on the name page, namePage's steps come before Next.
    static void ScriptToTheFinish(UiDriver& ui, const std::function<void(UiStep&)>& namePage) {
        ui.When(IDD_WELCOME).Click(IDC_NEXT);
        UiStep& name = ui.When(IDD_NAME_COMPANY);
        namePage(name);
        name.Click(IDC_NEXT);
        ui.When(IDD_DEDICATED_LINE).Click(IDC_NEXT);
        ui.When(IDD_FAX_NUMBER).SetText(IDC_FAX_NUMBER, "+81 3 5555 0100").Click(IDC_NEXT);
        ui.When(IDD_VOICE_NUMBER).Click(IDC_NEXT);
        ui.When(IDD_MODEM).Click(IDC_NEXT);
        ui.When(IDD_SUMMARY).Click(IDC_NEXT);
    }

    // Types name and company on page 2808 and goes on to the summary.
    void Drive(const std::string& name, const std::string& company) {
        // A device of its own for each road, journal and all.
        device_.reset();
        Reached().clear();
        SimDevice& device = ConnectDevice();
        device.Modify([](devsim::DeviceState& s) {
            s.info[17] = 0;
            s.params[15] = 2;
        });
        device.SetInt(51, 7);
        UiDriver ui;
        ScriptToTheFinish(ui, [&](UiStep& page) {
            page.SetText(IDC_USER_NAME, name).SetText(IDC_COMPANY, company);
        });
        Run();
        EXPECT_FALSE(ui.Failed()) << ui.Log();
        ASSERT_EQ(std::vector<int>{IDD_FINISH}, Reached());
    }

    std::string folder_;
};

// Byte lengths on and one past every limit of the road: the name field's 25,
// the device's 26, the INI files' 255.
TEST_F(JapaneseRoad, NamesAndCompaniesOnEveryLimitAreCutAtWholeCharacters) {
    const struct { std::string name, company; } cases[] = {
        {"a" + Kanji(12), Kanji(127) + "a"},        // 25 and 255 bytes
        {Kanji(13), Kanji(128)},                    // 26 and 256
        {"a" + Kanji(13), "a" + Kanji(128)},        // 27 and 257
        {Kanji(127) + "a", "a" + Kanji(127)},       // 255 and 255
        {Kanji(128), Kanji(12) + "a"},              // 256 and 25
        {"a" + Kanji(128), Kanji(13)},              // 257 and 26
    };
    int i = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE("case " + std::to_string(i) + ": name of " + std::to_string(c.name.size()) +
                     " bytes, company of " + std::to_string(c.company.size()));
        FolderOf("case" + std::to_string(i++) + kHyo + kNou);
        SummaryTemplate("[common]\r\n1=%name%\r\n2=%company%\r\n3=EOS\r\n[summary4]\r\n1=EOS\r\n");
        Drive(c.name, c.company);

        // The record keeps what was typed; the files keep whole characters.
        EXPECT_EQ(c.name, FaxSettings.UserName.GetString());
        EXPECT_EQ(c.company, FaxSettings.Company.GetString());
        std::string name = Whole(c.name, 255), company = Whole(c.company, 255);
        EXPECT_EQ(name, Prod("UserName"));
        EXPECT_EQ(name, Prod("TTIName"));
        EXPECT_EQ(company, Prod("Company"));
        EXPECT_EQ(name, Reg("UserName"));

        // The device's header holds 26 bytes: the same whole-character cut.
        std::string header = AsTheDeviceHasIt(Whole(c.name, 26));
        EXPECT_EQ("object 32 type 4 length " + std::to_string(header.size()) + " value \"" + header +
                      "\" result 0",
                  DeviceObject(Journal(), 32));

        // The summary: every line whole, cut to 253 bytes at a whole character.
        std::vector<std::string> lines = SplitLines(Summary());
        ASSERT_EQ(2u, lines.size()) << Summary();
        EXPECT_EQ(Whole(c.name, 253), lines[0]);
        EXPECT_EQ(Whole(c.company, 253), lines[1]);
    }
}

// Typed one key at a time, the name stops at the field's 25 bytes: a
// double-byte character that would end past them is refused whole, as the
// header holds bytes, not characters. The company field stops at 255.
TEST_F(JapaneseRoad, TypingStopsAtTheFieldsLimitInBytes) {
    FolderOf(kNou);
    SummaryTemplate("[common]\r\n1=EOS\r\n");
    SimDevice& device = ConnectDevice();
    device.Modify([](devsim::DeviceState& s) { s.info[17] = 0; });
    std::string shown, shownCompany;
    UiDriver ui;
    ui.When(IDD_WELCOME).Click(IDC_NEXT);
    ui.When(IDD_NAME_COMPANY)
        .SetText(IDC_USER_NAME, "")
        .SetText(IDC_COMPANY, "")
        .Type(IDC_USER_NAME, "a" + Kanji(13) + "b")
        .Type(IDC_COMPANY, Kanji(127) + "ab" + kHyo)
        .Read(IDC_USER_NAME, &shown)
        .Read(IDC_COMPANY, &shownCompany)
        .Click(IDCANCEL);
    ui.When(IDD_QUIT_CONFIRM).Click(IDOK);
    Run();
    EXPECT_FALSE(ui.Failed()) << ui.Log();
    EXPECT_EQ("a" + Kanji(12), shown);             // 25 bytes: neither the 13th character nor "b"
    EXPECT_EQ(Kanji(127) + "a", shownCompany);     // 255 bytes
}

// The registered owner of a fresh system, 27 bytes of which the last
// character would end at byte 27: loaded cut to 26 at a whole character,
// shown on the name page and kept as shown.
TEST_F(JapaneseRoad, ARegisteredOwnerIsCutAtAWholeCharacter) {
    const char* kKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
    auto read = [&](const char* name) {
        char value[256] = "";
        DWORD size = sizeof value;
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
            RegQueryValueExA(key, name, nullptr, nullptr, (BYTE*)value, &size);
            RegCloseKey(key);
        }
        return std::string(value);
    };
    auto write = [&](const char* name, const std::string& value) {
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_SET_VALUE, &key));
        RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)value.c_str(), (DWORD)value.size() + 1);
        RegCloseKey(key);
    };
    std::string owner = read("RegisteredOwner"), organization = read("RegisteredOrganization");
    std::string newOwner = "a" + Kanji(13);  // 27 bytes
    write("RegisteredOwner", newOwner);
    write("RegisteredOrganization", Kanji(3) + kSo);
    FolderOf(kSo);
    wiztest::WriteFile(folder_ + "\\product.ini", "[Setup]\r\n");
    FlushIniCache(FaxSettings.ProdIniFile);
    SummaryTemplate("[common]\r\n1=%name%\r\n2=EOS\r\n[summary4]\r\n1=EOS\r\n");

    SimDevice& device = ConnectDevice();
    device.Modify([](devsim::DeviceState& s) { s.info[17] = 0; });
    std::string shown;
    UiDriver ui;
    ScriptToTheFinish(ui, [&](UiStep& page) { page.Read(IDC_USER_NAME, &shown); });
    Run();
    write("RegisteredOwner", owner);
    write("RegisteredOrganization", organization);
    EXPECT_FALSE(ui.Failed()) << ui.Log();

    std::string cut = "a" + Kanji(12);  // 25 bytes
    EXPECT_EQ(cut, shown);
    EXPECT_EQ(cut, Prod("UserName"));
    EXPECT_EQ(Kanji(3) + kSo, Prod("Company"));
    EXPECT_EQ(cut, Reg("UserName"));
    EXPECT_EQ(cut + "\r\n", Summary());
    EXPECT_EQ("object 32 type 4 length 13 value \"a????????????\" result 0", DeviceObject(Journal(), 32));
}

// A summary line of 253 bytes fits whole; one whose last character would
// reach byte 254 loses that character, not half of it.
TEST_F(JapaneseRoad, SummaryLinesCutBeforeACharacterAcrossByte253) {
    FolderOf(kSo + kHyo);
    SummaryTemplate("[common]\r\n1=a%company%\r\n2=%company%\r\n3=" + kNou +
                    "\\ %company%\r\n4=EOS\r\n[summary4]\r\n1=" + kHyo + kSo + "\\," + kNou +
                    "\r\n2=EOS\r\n");
    std::string company = Kanji(126);  // 252 bytes
    Drive("x", company);
    std::vector<std::string> lines = SplitLines(Summary());
    ASSERT_EQ(4u, lines.size()) << Summary();
    EXPECT_EQ("a" + company, lines[0]);            // 253 bytes: whole
    EXPECT_EQ(company, lines[1]);                  // 252
    EXPECT_EQ(kNou + " " + Kanji(125), lines[2]);  // 2 + 1 + 252 = 255: one character less
    for (const std::string& line : lines) EXPECT_TRUE(EndsWhole(line)) << line;
    // Escapes next to characters whose second byte is a backslash.
    EXPECT_EQ(kHyo + kSo + "," + kNou, lines[3]);
}

// The folders of the product's files end in characters whose second byte is
// 0x5C: the files land in them, under their own names.
TEST_F(JapaneseRoad, FoldersEndingInABackslashLikeByteHoldTheFiles) {
    FolderOf(kYama + kNou);
    SummaryTemplate("[common]\r\n1=%name% " + kSo + "\r\n2=EOS\r\n[summary4]\r\n1=EOS\r\n");
    std::string name = kHyo + kNou + kSo;
    Drive(name, kSo);
    EXPECT_EQ(name + " " + kSo + "\r\n", Summary());
    EXPECT_EQ(name, Prod("UserName"));
    EXPECT_EQ(kSo, Prod("Company"));
    EXPECT_EQ(name, Reg("UserName"));
    for (const char* file : {"product.ini", "KLCV_REG.INI", "summary.txt"})
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((folder_ + "\\" + file).c_str())) << file;
    // Nothing went next to the folder under a name that runs into it (the
    // product INI there is the fixture's own, from before the road).
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((dir_.path() + "\\*").c_str(), &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    std::vector<std::string> entries;
    do {
        if (strcmp(found.cFileName, ".") && strcmp(found.cFileName, "..")) entries.push_back(found.cFileName);
    } while (FindNextFileA(h, &found));
    FindClose(h);
    EXPECT_EQ((std::vector<std::string>{"product.ini", kYama + kNou}), entries);
}

// The user name macro with the name of a Japanese user.
TEST_F(JapaneseRoad, TheUserNameMacroGivesAJapaneseUserName) {
    FolderOf(kHyo);
    SummaryTemplate("[common]\r\n1=%username%\r\n2=" + kSo + "%USERNAME%" + kNou +
                    "\r\n3=EOS\r\n[summary4]\r\n1=EOS\r\n");
    // Wine takes the user's name from WINEUSERNAME.
    wchar_t previous[256] = L"";
    DWORD had = GetEnvironmentVariableW(L"WINEUSERNAME", previous, 256);
    ASSERT_TRUE(SetEnvironmentVariableW(L"WINEUSERNAME", L"\u8868\u80fd\u30bd\u5c71\u7530"));
    wchar_t wide[64] = L"";
    DWORD size = 64;
    bool known = GetUserNameW(wide, &size);
    Drive("x", "y");
    SetEnvironmentVariableW(L"WINEUSERNAME", had ? previous : nullptr);
    ASSERT_TRUE(known);
    char user[128] = "";
    WideCharToMultiByte(CP_ACP, 0, wide, -1, user, sizeof user, nullptr, nullptr);
    ASSERT_EQ(kHyo + kNou + kSo + "\x8e\x52\x93\x63", std::string(user)) << "the user's name";
    EXPECT_EQ(std::string(user) + "\r\n" + kSo + user + kNou + "\r\n", Summary());
}

}  // namespace
