// The name page, the device option page and the line question, run inside the
// engine from the real resource modules.
#include <string>

#include "tests/pages/road_fixture.h"

using namespace roadtest;
using wiztest::UiDriver;

namespace {

const char kWindowsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const char kMissing[] = "\x01missing";

std::string WindowsValue(const char* name) {
    char buffer[512] = "";
    DWORD size = sizeof buffer;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, kWindowsKey, name, RRF_RT_REG_SZ, nullptr, buffer,
                     &size) != ERROR_SUCCESS)
        return kMissing;
    return buffer;
}

void SetWindowsValue(const char* name, const std::string& value) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kWindowsKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    if (value == kMissing)
        RegDeleteValueA(key, name);
    else
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       (DWORD)value.size() + 1);
    RegCloseKey(key);
}

// Sets the platform's registered owner and organisation for one test.
class RegisteredOwner {
public:
    RegisteredOwner(const std::string& owner, const std::string& organization)
        : owner_(WindowsValue("RegisteredOwner")),
          organization_(WindowsValue("RegisteredOrganization")) {
        SetWindowsValue("RegisteredOwner", owner);
        SetWindowsValue("RegisteredOrganization", organization);
    }
    ~RegisteredOwner() {
        SetWindowsValue("RegisteredOwner", owner_);
        SetWindowsValue("RegisteredOrganization", organization_);
    }

private:
    std::string owner_, organization_;
};

// The line a save wrote for device object 45.
std::string Object45(const std::vector<std::string>& journal) {
    for (const std::string& line : journal)
        if (line.rfind("object 45 ", 0) == 0) return line;
    return "<none>";
}

}  // namespace

// ---------------------------------------------------------------- page 2808

TEST_P(BothLanguages, NamePageTrimsAndSavesBothFieldsAndLeadsTo2810) {
    EndAt({2810});
    std::string name, company, title;
    UiDriver ui;
    ui.When(2805).Click(5544);
    ui.When(2808)
        .Read(5506, &name)
        .Read(5507, &company)
        .Read(5560, &title)
        .SetText(5506, "   Ann Example \t ")
        .SetText(5507, "\t Example Ltd   ")
        .Click(5544);
    Run();
    EXPECT_EQ("2805 2808", ui.Log());
    EXPECT_EQ(std::vector<int>{2810}, Reached());
    EXPECT_EQ("Loaded Name", name);
    EXPECT_EQ("Loaded Company", company);
    EXPECT_EQ(std::string::npos, title.find('$'));
    EXPECT_STREQ("Ann Example", FaxSettings.UserName);
    EXPECT_STREQ("Example Ltd", FaxSettings.Company);
    EXPECT_EQ("Ann Example", Prod("UserName"));
    EXPECT_EQ("Ann Example", Prod("TTIName"));
    EXPECT_EQ("Example Ltd", Prod("Company"));
    EXPECT_EQ("Ann Example", Reg("UserName"));
}

TEST_F(English, NamePageBackStoresWhatWasTypedAndANameOfSpacesIsEmpty) {
    EndAt({2810});
    std::string shownName, shownCompany;
    UiDriver ui;
    ui.When(2808).SetText(5506, "  Bea  ").SetText(5507, "Bea's Shop").Click(5543);
    ui.When(2805).Click(5544);
    ui.When(2808)
        .Read(5506, &shownName)
        .Read(5507, &shownCompany)
        .SetText(5506, "      ")
        .Click(5544);
    Run(2808);
    EXPECT_EQ("2808 2805 2808", ui.Log());
    EXPECT_EQ("Bea", shownName);
    EXPECT_EQ("Bea's Shop", shownCompany);
    EXPECT_STREQ("", FaxSettings.UserName);
    EXPECT_EQ("", Prod("UserName"));
    EXPECT_EQ("", Reg("UserName"));
    EXPECT_EQ("Bea's Shop", Prod("Company"));
}

TEST_F(English, NamePageLimitsTypingTo25And255Characters) {
    EndAt({2810});
    std::string name, company;
    UiDriver ui;
    ui.When(2808)
        .SetText(5506, "")
        .SetText(5507, "")
        .Type(5506, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123")
        .Type(5507, std::string(300, 'c'))
        .Read(5506, &name)
        .Read(5507, &company)
        .Click(5544);
    Run(2808);
    EXPECT_EQ("ABCDEFGHIJKLMNOPQRSTUVWXY", name);
    EXPECT_EQ(255u, company.size());
    EXPECT_EQ("ABCDEFGHIJKLMNOPQRSTUVWXY", Prod("UserName"));
    EXPECT_EQ(std::string(255, 'c'), Prod("Company"));
}

TEST_F(English, RegisteredOwnerOf26BytesIsShownAndStoredWhole) {
    RegisteredOwner owner("Maximiliane Oberhauser-Kling von Hohenberg", "Oberhauser AG");
    Ini("");  // nothing of the user's own yet: the registered owner fills in
    EndAt({2810});
    std::string name, company;
    UiDriver ui;
    ui.When(2808).Read(5506, &name).Read(5507, &company).Click(5544);
    Run(2808);
    EXPECT_EQ("Maximiliane Oberhauser-Kli", name);  // 26 bytes in a 25-character field
    EXPECT_EQ("Oberhauser AG", company);
    EXPECT_STREQ("Maximiliane Oberhauser-Kli", FaxSettings.UserName);
    EXPECT_EQ("Maximiliane Oberhauser-Kli", Prod("UserName"));
    EXPECT_EQ("Maximiliane Oberhauser-Kli", Reg("UserName"));
}

// ---------------------------------------------------------------- page 2821

TEST_P(BothLanguages, DeviceOptionOnOpensWithTheFirstButtonAndBackAndNextStoreTheAnswer) {
    SimDevice& device = ConnectDevice();
    device.SetInt(45, 2);
    EndAt({2811});
    bool firstOnOpen = false, secondOnReturn = false, firstOnReturn = true;
    UiDriver ui;
    ui.When(2808).Click(5544);
    ui.When(2821)
        .Do([&](HWND h) { firstOnOpen = Checked(h, 5548) && !Checked(h, 5549); })
        .Check(5549)
        .Click(5543);  // Back stores "off"...
    ui.When(2808).Click(5544);
    ui.When(2821)
        .Do([&](HWND h) {
            // ...and the page keeps the user's last choice.
            secondOnReturn = Checked(h, 5549);
            firstOnReturn = Checked(h, 5548);
        })
        .Click(5544);
    ui.When(2810).Check(5519).Click(5543);
    ui.When(2821).Check(5548).Click(5544);
    ui.When(2810).Click(5544);
    Run(2808);
    EXPECT_EQ("2808 2821 2808 2821 2810 2821 2810", ui.Log());
    EXPECT_TRUE(firstOnOpen);
    EXPECT_TRUE(secondOnReturn);
    EXPECT_FALSE(firstOnReturn);
    EXPECT_EQ(std::vector<int>{2811}, Reached());
    EXPECT_EQ(1, FaxSettings.DeviceOption);
    EXPECT_EQ("object 45 type 1 length 2 value 2 result 0", Object45(Journal()));
}

TEST_F(English, DeviceOptionOffOpensWithTheSecondButtonAndNoButtonStoresOff) {
    ConnectDevice();  // the factory holds 1: off
    EndAt({2810});
    bool secondOnOpen = false;
    UiDriver ui;
    ui.When(2821)
        .Do([&](HWND h) { secondOnOpen = Checked(h, 5549) && !Checked(h, 5548); })
        .Check(5548)  // the click says yes...
        .Do([](HWND h) {
            // ...then nothing is checked any more.
            CheckDlgButton(h, 5548, BST_UNCHECKED);
            CheckDlgButton(h, 5549, BST_UNCHECKED);
        })
        .Click(5544);
    Run(2821);
    EXPECT_TRUE(secondOnOpen);
    EXPECT_EQ(0, FaxSettings.DeviceOption);
    EXPECT_EQ("object 45 type 1 length 2 value 1 result 0", Object45(Journal()));
}

TEST_F(English, WithoutTheOptionTheRoadPassesByPage2821BothWays) {
    SimDevice& device = ConnectDevice();
    device.Modify([](devsim::DeviceState& s) { s.info[17] = 0; });
    device.SetInt(45, 2);
    EndAt({2811});
    UiDriver ui;
    ui.When(2808).Click(5544);
    ui.When(2810).Click(5543);
    ui.When(2808).Click(5544);
    ui.When(2810).Check(5519).Click(5544);
    Run(2808);
    EXPECT_EQ("2808 2810 2808 2810", ui.Log());
    EXPECT_EQ(0, FaxSettings.DeviceOptionSupported);
    EXPECT_EQ("object 45 type 1 length 2 value 1 result 0", Object45(Journal()));
}

// ---------------------------------------------------------------- pages 2810 and 2818

TEST_P(BothLanguages, LineQuestionSplitsTheRoadAndBackStoresTheAnswer) {
    Ini("TTIName=Ann\r\nDedicatedLine=1\r\n");
    EndAt({2811, 2813});
    bool dedicatedOnOpen = false, sharedOnReturn = false;
    UiDriver ui;
    ui.When(2810)
        .Do([&](HWND h) { dedicatedOnOpen = Checked(h, 5519) && !Checked(h, 5520); })
        .Check(5520)
        .Click(5543);
    ui.When(2808).Click(5544);
    ui.When(2810).Do([&](HWND h) { sharedOnReturn = Checked(h, 5520); }).Click(5544);
    Run(2810);
    EXPECT_EQ("2810 2808 2810", ui.Log());
    EXPECT_TRUE(dedicatedOnOpen);
    EXPECT_TRUE(sharedOnReturn);
    EXPECT_EQ(std::vector<int>{2813}, Reached());
    EXPECT_EQ(0, FaxSettings.DedicatedLine);
    EXPECT_EQ("0", Prod("DedicatedLine"));
    EXPECT_EQ("0", Reg("DedicatedLine"));
}

TEST_F(English, LineQuestionWithNoButtonChosenCountsAsShared) {
    EndAt({2811, 2813});
    UiDriver ui;
    ui.When(2810)
        .Do([](HWND h) {
            CheckDlgButton(h, 5519, BST_UNCHECKED);
            CheckDlgButton(h, 5520, BST_UNCHECKED);
        })
        .Click(5544);
    Run(2810);
    EXPECT_EQ(std::vector<int>{2813}, Reached());
    EXPECT_EQ("0", Prod("DedicatedLine"));
}

TEST_F(English, LineQuestionShowsTheAnswerThatPage2818ChangedAndBackFrom2818DoesNothing) {
    Ini("TTIName=Ann\r\nDedicatedLine=1\r\nFaxNumber=030 1234567\r\nVoiceNumber=\r\n");
    bool stayedAfterBack = false, sharedShown = false;
    UiDriver ui;
    ui.When(2810).Click(5544);
    ui.When(2811).Click(5544);
    ui.When(2812).SetText(5522, "(030) 123-4567").Click(5544);
    ui.When(2818)
        .Do([&](HWND h) {
            // Its template offers no Back; a Back command that arrives anyway
            // must leave the page as it is.
            SendMessageA(h, WM_COMMAND, MAKEWPARAM(5543, BN_CLICKED), 0);
            stayedAfterBack = IsWindow(h) && IsWindowVisible(h);
        })
        .Check(5531)
        .Click(5544);
    ui.When(2813).Click(5543);
    ui.When(2810)
        .Do([&](HWND h) { sharedShown = Checked(h, 5520) && !Checked(h, 5519); })
        .Click(5544);
    ui.When(2813).Click(5544);
    Run(2810);
    EXPECT_EQ("2810 2811 2812 2818 2813 2810 2813", ui.Log());
    EXPECT_TRUE(stayedAfterBack);
    EXPECT_TRUE(sharedShown);
    EXPECT_EQ(std::vector<int>{2814}, Reached());
    EXPECT_EQ("0", Prod("DedicatedLine"));
    EXPECT_EQ("030 1234567", Prod("FaxNumber"));
    EXPECT_EQ("030 1234567", Prod("VoiceNumber"));
}

// ---------------------------------------------------------------- a whole road

TEST_P(BothLanguages, DedicatedRoadThroughTheOptionSavesWhatWasTypedAndChosen) {
    SimDevice& device = ConnectDevice();
    device.SetText(31, "0711 000");
    Ini("TTIName=Old Name\r\nCompany=Old Company\r\nDedicatedLine=0\r\n");
    std::string faxShown;
    UiDriver ui;
    ui.When(2805).Click(5544);
    ui.When(2808).SetText(5506, " Carla Muster ").SetText(5507, "Muster GmbH").Click(5544);
    ui.When(2821).Check(5548).Click(5544);
    ui.When(2810).Check(5519).Click(5544);
    ui.When(2811).Read(5521, &faxShown).SetText(5521, " 0711 123456 ").Click(5544);
    ui.When(2812).SetText(5522, "0711 654321").Click(5544);
    Run();
    EXPECT_EQ("2805 2808 2821 2810 2811 2812", ui.Log());
    EXPECT_EQ(std::vector<int>{2815}, Reached());
    EXPECT_EQ("0711 000", faxShown);  // the device's number comes first
    EXPECT_EQ("Carla Muster", Prod("UserName"));
    EXPECT_EQ("Muster GmbH", Prod("Company"));
    EXPECT_EQ("1", Prod("DedicatedLine"));
    EXPECT_EQ("0711 123456", Prod("FaxNumber"));
    EXPECT_EQ("0711 654321", Prod("VoiceNumber"));
    EXPECT_EQ("Carla Muster", Reg("UserName"));
    EXPECT_EQ("1", Reg("DedicatedLine"));
    EXPECT_EQ("0711 123456", Reg("FaxNumber"));
    std::vector<std::string> j = Journal();
    ASSERT_EQ(6u, j.size());
    EXPECT_EQ("object 31 type 4 length 11 value \"0711 123456\" result 0", j[2]);
    EXPECT_EQ("object 32 type 4 length 12 value \"Carla Muster\" result 0", j[3]);
    EXPECT_EQ("object 45 type 1 length 2 value 2 result 0", j[5]);
}

INSTANTIATE_TEST_SUITE_P(Languages, BothLanguages, ::testing::Values("ENU", "DEU", "FRA", "ESP"));
