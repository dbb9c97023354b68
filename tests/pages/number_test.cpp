// The fax, voice and shared-line number pages and the same-number detour, run
// inside the engine from the real resource modules.
#include <string>

#include "tests/pages/road_fixture.h"

using namespace roadtest;
using wiztest::UiDriver;

namespace {

HICON IconOf(HWND box) {
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if ((GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            return (HICON)SendMessageA(c, STM_GETICON, 0, 0);
    return nullptr;
}

std::string Expanded(UINT id) {
    CMacroText text;
    text.LoadEx(id, 5600, StandardValueFlags, nullptr);
    return text.GetString();
}

std::string Raw(UINT id) {
    char text[512] = "";
    LoadStringA(AfxGetResourceHandle(), id, text, sizeof text);
    return text;
}

void Press(HWND page, int id) { PostMessageA(GetDlgItem(page, id), BM_CLICK, 0, 0); }

// What the user saw when a page refused an empty field, and what the page
// looked like once the message was answered.
struct Refusal {
    HWND page = nullptr;
    HWND owner = nullptr;
    HICON icon = nullptr;
    bool focusBack = false;
    std::string faxAfter, voiceAfter;
};

// The page refuses its blank field on Next; after the message the user types
// typed into the field and presses Next again.
void ScriptRefusal(UiDriver& ui, int pageId, int fieldId, Refusal& seen, std::string typed) {
    ui.When(pageId)
        .Do([&seen](HWND h) { seen.page = h; })
        .SetText(fieldId, "  \t  ")
        .Click(5544);
    ui.WhenMessageBox()
        .Do([&seen, fieldId, typed](HWND box) {
            seen.owner = GetWindow(box, GW_OWNER);
            seen.icon = IconOf(box);
            WhenPageIsFree(seen.page, [&seen, fieldId, typed](HWND page) {
                seen.focusBack = UiDriver::FocusOf(page) == GetDlgItem(page, fieldId);
                seen.faxAfter = FaxSettings.FaxNumber.GetString();
                seen.voiceAfter = FaxSettings.VoiceNumber.GetString();
                SetDlgItemTextA(page, fieldId, typed.c_str());
                Press(page, 5544);
            });
        })
        .Click(IDOK);
}

}  // namespace

// ---------------------------------------------------------------- page 2811

TEST_P(BothLanguages, BlankFaxNumberIsRefusedOnNextWithTheMessageAndTheFocusBack) {
    Ini("TTIName=Ann\r\nFaxNumber=111\r\n");
    EndAt({2812});
    Refusal seen;
    UiDriver ui;
    ScriptRefusal(ui, 2811, 5521, seen, "  +49 30 1234567  ");
    Run(2811);
    EXPECT_EQ("2811 0", ui.Log());
    ASSERT_EQ(1u, ui.MessageTexts().size());
    EXPECT_NE(std::string::npos, Raw(5513).find("$ProductName$"));
    EXPECT_EQ(Expanded(5513), ui.MessageTexts()[0]);
    EXPECT_EQ(std::string::npos, ui.MessageTexts()[0].find('$'));
    EXPECT_EQ(Expanded(5514), ui.MessageCaptions()[0]);
    EXPECT_FALSE(ui.MessageCaptions()[0].empty());
    EXPECT_EQ(seen.page, seen.owner);
    EXPECT_EQ(LoadIconA(nullptr, IDI_EXCLAMATION), seen.icon);
    EXPECT_TRUE(seen.focusBack);
    EXPECT_EQ("111", seen.faxAfter);  // nothing stored by the refused Next
    EXPECT_EQ(std::vector<int>{2812}, Reached());
    EXPECT_STREQ("+49 30 1234567", FaxSettings.FaxNumber);
    EXPECT_EQ("+49 30 1234567", Prod("FaxNumber"));
    EXPECT_EQ("+49 30 1234567", Prod("TTIFaxNumber"));
    EXPECT_EQ("+49 30 1234567", Reg("FaxNumber"));
}

TEST_F(English, BlankFaxNumberIsAcceptedOnBackAndStoredEmpty) {
    Ini("TTIName=Ann\r\nFaxNumber=111\r\n");
    EndAt({2810});
    std::string shown;
    UiDriver ui;
    ui.When(2811).Read(5521, &shown).SetText(5521, "     ").Click(5543);
    Run(2811);
    EXPECT_EQ("2811", ui.Log());
    EXPECT_EQ("111", shown);
    EXPECT_EQ(std::vector<int>{2810}, Reached());
    EXPECT_STREQ("", FaxSettings.FaxNumber);
    EXPECT_EQ("", Prod("FaxNumber"));
    EXPECT_EQ("", Reg("FaxNumber"));
}

TEST_F(English, NumberFieldsTakeAtMost20TypedCharacters) {
    Ini("TTIName=Ann\r\nDedicatedLine=1\r\n");
    std::string fax, voice, shared;
    UiDriver ui;
    ui.When(2811)
        .SetText(5521, "")
        .Type(5521, "1234567890123456789012345")
        .Read(5521, &fax)
        .Click(5544);
    ui.When(2812)
        .SetText(5522, "")
        .Type(5522, "9876543210987654321098765")
        .Read(5522, &voice)
        .Click(5543);
    ui.When(2811).Click(5543);
    ui.When(2810).Check(5520).Click(5544);
    ui.When(2813)
        .SetText(5516, "")
        .Type(5516, "5555555555555555555555555")
        .Read(5516, &shared)
        .Click(5544);
    Run(2811);
    EXPECT_EQ("2811 2812 2811 2810 2813", ui.Log());
    EXPECT_EQ("12345678901234567890", fax);
    EXPECT_EQ("98765432109876543210", voice);
    EXPECT_EQ("55555555555555555555", shared);
    EXPECT_EQ(std::vector<int>{2814}, Reached());
    EXPECT_EQ("55555555555555555555", Prod("FaxNumber"));
    EXPECT_EQ("55555555555555555555", Prod("VoiceNumber"));
}

// ---------------------------------------------------------------- pages 2812 and 2818

TEST_P(BothLanguages, SameDigitsDetourFromTheVoiceNextAndTheFaxBack) {
    Ini("TTIName=Ann\r\nDedicatedLine=1\r\n");
    EndAt({2815});
    std::string faxShown, voiceShown;
    bool dedicatedFirst = false, dedicatedKept = false;
    UiDriver ui;
    ui.When(2810).Click(5544);
    ui.When(2811).SetText(5521, "030 123-4567").Click(5544);
    ui.When(2812).SetText(5522, " (030) 1234567 ").Click(5544);
    ui.When(2818)
        .Do([&](HWND h) { dedicatedFirst = Checked(h, 5530) && !Checked(h, 5531); })
        .Check(5530)
        .Click(5544);
    // Dedicated: both numbers kept, the fax number page again. Its Back, the
    // numbers still alike, asks once more.
    ui.When(2811).Read(5521, &faxShown).Click(5543);
    ui.When(2818).Do([&](HWND h) { dedicatedKept = Checked(h, 5530); }).Click(5544);
    ui.When(2811).SetText(5521, "030 7654321").Click(5543);
    ui.When(2810).Click(5544);
    ui.When(2811).Click(5544);
    ui.When(2812).Read(5522, &voiceShown).Click(5544);
    Run(2810);
    EXPECT_EQ("2810 2811 2812 2818 2811 2818 2811 2810 2811 2812", ui.Log());
    EXPECT_TRUE(dedicatedFirst);
    EXPECT_TRUE(dedicatedKept);
    EXPECT_EQ("030 123-4567", faxShown);
    EXPECT_EQ("(030) 1234567", voiceShown);
    EXPECT_EQ(std::vector<int>{2815}, Reached());
    EXPECT_EQ("1", Prod("DedicatedLine"));
    EXPECT_EQ("030 7654321", Prod("FaxNumber"));
    EXPECT_EQ("(030) 1234567", Prod("VoiceNumber"));
}

TEST_F(English, SameNumberAnsweredSharedClearsTheVoiceNumberAndGoesTo2813) {
    SimDevice& device = ConnectDevice();
    device.SetText(31, "555-0100");
    Ini("TTIName=Ann\r\nDedicatedLine=1\r\nVoiceNumber=5550100\r\n");
    EndAt({2814});
    std::string voiceAt2813 = "<unset>", shown;
    UiDriver ui;
    ui.When(2812).Click(5544);
    ui.When(2818).Check(5531).Click(5544);
    ui.When(2813)
        .Do([&](HWND) { voiceAt2813 = FaxSettings.VoiceNumber.GetString(); })
        .Read(5516, &shown)
        .Click(5544);
    Run(2812);
    EXPECT_EQ("2812 2818 2813", ui.Log());
    EXPECT_EQ("", voiceAt2813);
    EXPECT_EQ("555-0100", shown);
    EXPECT_EQ(std::vector<int>{2814}, Reached());
    EXPECT_EQ(0, FaxSettings.DedicatedLine);
    EXPECT_EQ("555-0100", Prod("VoiceNumber"));
    EXPECT_EQ("0", Reg("DedicatedLine"));
    bool written = false;
    for (const std::string& line : Journal())
        if (line == "object 31 type 4 length 8 value \"555-0100\" result 0") written = true;
    EXPECT_TRUE(written);
}

TEST_F(English, EmptyVoiceNumberGoesOnTo2815AndBackStoresTheVoiceNumber) {
    Ini("TTIName=Ann\r\nFaxNumber=555\r\nVoiceNumber=777\r\n");
    EndAt({2815});
    std::string first, again;
    UiDriver ui;
    ui.When(2812).Read(5522, &first).SetText(5522, "  12 34 ").Click(5543);
    ui.When(2811).Click(5544);
    ui.When(2812).Read(5522, &again).SetText(5522, "   ").Click(5544);
    Run(2812);
    EXPECT_EQ("2812 2811 2812", ui.Log());
    EXPECT_EQ("777", first);
    EXPECT_EQ("12 34", again);
    EXPECT_EQ(std::vector<int>{2815}, Reached());
    EXPECT_EQ("", Prod("VoiceNumber"));
    EXPECT_EQ("555", Prod("FaxNumber"));
}

// ---------------------------------------------------------------- page 2813

TEST_P(BothLanguages, BlankSharedNumberIsRefusedThenTheTrimmedNumberBecomesBoth) {
    Ini("TTIName=Ann\r\nDedicatedLine=0\r\nFaxNumber=111\r\nVoiceNumber=222\r\n");
    EndAt({2814});
    Refusal seen;
    UiDriver ui;
    ScriptRefusal(ui, 2813, 5516, seen, " 0171 555 ");
    Run(2813);
    EXPECT_EQ("2813 0", ui.Log());
    ASSERT_EQ(1u, ui.MessageTexts().size());
    EXPECT_NE(std::string::npos, Raw(5515).find("$ProductName$"));
    EXPECT_EQ(Expanded(5515), ui.MessageTexts()[0]);
    EXPECT_EQ(Expanded(5516), ui.MessageCaptions()[0]);
    EXPECT_EQ(seen.page, seen.owner);
    EXPECT_EQ(LoadIconA(nullptr, IDI_EXCLAMATION), seen.icon);
    EXPECT_TRUE(seen.focusBack);
    EXPECT_EQ("111", seen.faxAfter);
    EXPECT_EQ("222", seen.voiceAfter);
    EXPECT_EQ(std::vector<int>{2814}, Reached());
    EXPECT_EQ("0171 555", Prod("FaxNumber"));
    EXPECT_EQ("0171 555", Prod("VoiceNumber"));
    EXPECT_EQ("0171 555", Reg("FaxNumber"));
}

TEST_F(English, SharedNumberBackWithAnEmptyFieldClearsBothNumbers) {
    Ini("TTIName=Ann\r\nDedicatedLine=0\r\nFaxNumber=111\r\nVoiceNumber=222\r\n");
    EndAt({2810});
    UiDriver ui;
    ui.When(2813).SetText(5516, "   ").Click(5543);
    Run(2813);
    EXPECT_EQ("2813", ui.Log());
    EXPECT_EQ(std::vector<int>{2810}, Reached());
    EXPECT_EQ("", Prod("FaxNumber"));
    EXPECT_EQ("", Prod("VoiceNumber"));
}

INSTANTIATE_TEST_SUITE_P(Languages, BothLanguages, ::testing::Values("ENU", "DEU", "FRA", "ESP"));
