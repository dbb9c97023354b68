// The answering machine page (2814) and the modem page (2815), run inside the
// engine from the real resource modules.
#include <gtest/gtest.h>

#include <string>

#include "pages/answeringmachinepage.h"
#include "resources/resource_ids.h"
#include "settings/faxsettings.h"
#include "tests/pages/lastpages_fixture.h"
#include "tests/support/ui_driver.h"

using wiztest::ClickAt;
using wiztest::ClientRectOf;
using wiztest::IsChecked;
using wiztest::UiDriver;

namespace {

class AnsweringMachineTest : public wiztest::LastPagesTest {};
class ModemTest : public wiztest::LastPagesTest {};

}  // namespace

TEST(FormatWithText, FillsTheFirstStringAndLeavesEveryOtherSequence) {
    EXPECT_EQ("line 555 1234?", std::string(FormatWithText("line %s?", "555 1234")));
    EXPECT_EQ("100% sure: 5", std::string(FormatWithText("100%% sure: %s", "5")));
    // A second %s or a number conversion has no argument: left as written.
    EXPECT_EQ("a b %s %d", std::string(FormatWithText("%s b %s %d", "a")));
    EXPECT_EQ("%", std::string(FormatWithText("%", "x")));
    // The argument is taken as it is, percent signs included.
    EXPECT_EQ("n: 50%s", std::string(FormatWithText("n: %s", "50%s")));
    EXPECT_EQ("", std::string(FormatWithText(nullptr, "x")));
    EXPECT_EQ("x ", std::string(FormatWithText("x %s", nullptr)));
}

TEST_P(AnsweringMachineTest, TextsNameTheFaxNumber) {
    SetIni("FaxNumber", "+49 30 1234567");
    std::string question, yesText;
    UiDriver ui;
    ui.When(2814)
        .Read(IDC_TAM_QUESTION, &question)
        .Read(IDC_TAM_YES_TEXT, &yesText)
        .Click(kNextButton);
    RegisterWizardPage(2815, nullptr);  // the run ends after this page
    Run(2814);
    EXPECT_EQ("2814", ui.Log());
    std::string format5501 = ModuleText(IDS_TAM_QUESTION), format5502 = ModuleText(IDS_TAM_YES_TEXT);
    ASSERT_NE(std::string::npos, format5501.find("%s"));
    ASSERT_NE(std::string::npos, format5502.find("%s"));
    EXPECT_EQ(std::string(FormatWithText(format5501.c_str(), "+49 30 1234567")), question);
    EXPECT_EQ(std::string(FormatWithText(format5502.c_str(), "+49 30 1234567")), yesText);
    EXPECT_EQ(std::string::npos, (question + yesText).find('$'));
    EXPECT_EQ(std::string::npos, (question + yesText).find('%'));
}

TEST_P(AnsweringMachineTest, EmptyFaxNumberShowsTheNotSetText) {
    std::string question, yesText;
    UiDriver ui;
    ui.When(2814)
        .Read(IDC_TAM_QUESTION, &question)
        .Read(IDC_TAM_YES_TEXT, &yesText)
        .Click(kNextButton);
    RegisterWizardPage(2815, nullptr);
    Run(2814);
    std::string notSet = ModuleText(IDS_NOT_SET);
    ASSERT_FALSE(notSet.empty());
    EXPECT_EQ(std::string(FormatWithText(ModuleText(IDS_TAM_QUESTION).c_str(), notSet.c_str())),
              question);
    EXPECT_EQ(std::string(FormatWithText(ModuleText(IDS_TAM_YES_TEXT).c_str(), notSet.c_str())),
              yesText);
}

TEST_P(AnsweringMachineTest, AnswerFollowsTheSettingWhenBuiltAndNextStoresIt) {
    for (const char* tam : {"1", "0"}) {
        SCOPED_TRACE(tam);
        SetIni("TAM", tam);
        bool yes = false, no = false;
        UiDriver ui;
        ui.When(2814)
            .Do([&](HWND h) {
                yes = IsChecked(h, IDC_TAM_YES);
                no = IsChecked(h, IDC_TAM_NO);
            })
            .Click(kNextButton);
        RegisterWizardPage(2815, nullptr);
        Run(2814);
        EXPECT_EQ(tam[0] == '1', yes);
        EXPECT_EQ(tam[0] == '0', no);
        EXPECT_EQ(tam[0] == '1' ? 1 : 0, FaxSettings.TAM);
        EXPECT_EQ(tam, Ini("TAM"));
    }
}

TEST_P(AnsweringMachineTest, ClickOnTheTextPicksYesAndFocusesItAndBackStoresIt) {
    SetIni("TAM", "0");
    bool throughText = false, yes = false, no = true, focused = false;
    UiDriver ui;
    ui.When(2814)
        .Do([&](HWND h) {
            RECT text = ClientRectOf(h, IDC_TAM_YES_TEXT);
            POINT centre = {(text.left + text.right) / 2, (text.top + text.bottom) / 2};
            // A real click there reaches the page, not the text control.
            POINT screen = centre;
            ClientToScreen(h, &screen);
            // Asked of the text itself: other test programs' pages may lie
            // over this one on the shared screen.
            throughText = SendMessageA(GetDlgItem(h, IDC_TAM_YES_TEXT), WM_NCHITTEST, 0,
                                       MAKELPARAM(screen.x, screen.y)) == HTTRANSPARENT;
            ClickAt(h, centre.x, centre.y);
            yes = IsChecked(h, IDC_TAM_YES);
            no = IsChecked(h, IDC_TAM_NO);
            focused = UiDriver::FocusOf(h) == GetDlgItem(h, IDC_TAM_YES);
        })
        .Click(kBackButton);
    ui.When(2813).Click(IDCANCEL);
    ui.When(2820).Click(IDOK);
    Run(2814);
    EXPECT_EQ("2814 2813 2820", ui.Log());
    EXPECT_TRUE(throughText);
    EXPECT_TRUE(yes);
    EXPECT_FALSE(no);
    EXPECT_TRUE(focused);
    EXPECT_EQ(1, FaxSettings.TAM);  // stored by Back
}

TEST_P(AnsweringMachineTest, ClicksBesideTheTextChangeNothing) {
    SetIni("TAM", "0");
    bool yesAfterMisses = true, noAfterMisses = false, yesAtCorner = false;
    UiDriver ui;
    ui.When(2814)
        .Do([&](HWND h) {
            RECT text = ClientRectOf(h, IDC_TAM_YES_TEXT);
            int midX = (text.left + text.right) / 2, midY = (text.top + text.bottom) / 2;
            ClickAt(h, text.right, midY);   // the right edge is outside
            ClickAt(h, midX, text.bottom);  // so is the bottom edge
            ClickAt(h, text.left - 1, midY);
            ClickAt(h, midX, text.top - 1);
            ClickAt(h, 5, 5);               // elsewhere on the page
            ClickAt(h, midX, midY, 0);      // no left button among the flags
            yesAfterMisses = IsChecked(h, IDC_TAM_YES);
            noAfterMisses = IsChecked(h, IDC_TAM_NO);
            ClickAt(h, text.left, text.top);  // the top-left corner is inside
            yesAtCorner = IsChecked(h, IDC_TAM_YES);
        })
        .Click(kNextButton);
    RegisterWizardPage(2815, nullptr);
    Run(2814);
    EXPECT_FALSE(yesAfterMisses);
    EXPECT_TRUE(noAfterMisses);
    EXPECT_TRUE(yesAtCorner);
    EXPECT_EQ(1, FaxSettings.TAM);
}

TEST_P(AnsweringMachineTest, NoAnswerCheckedStoresNo) {
    SetIni("TAM", "1");
    UiDriver ui;
    ui.When(2814)
        .Do([](HWND h) {
            CheckDlgButton(h, IDC_TAM_YES, BST_UNCHECKED);
            CheckDlgButton(h, IDC_TAM_NO, BST_UNCHECKED);
        })
        .Click(kBackButton);
    ui.When(2813).Click(IDCANCEL);
    ui.When(2820).Click(IDOK);
    Run(2814);
    EXPECT_EQ(0, FaxSettings.TAM);
}

TEST_P(AnsweringMachineTest, ChoiceIsKeptBetweenVisitsAndReachesTheSettingsFile) {
    SetIni("TAM", "0");
    bool yesAgain = false;
    UiDriver ui;
    ui.When(2814).Check(IDC_TAM_YES).Click(kBackButton);
    ui.When(2813).Click(kNextButton);
    ui.When(2814).Do([&](HWND h) { yesAgain = IsChecked(h, IDC_TAM_YES); }).Click(kNextButton);
    RegisterWizardPage(2815, nullptr);
    Run(2814);
    EXPECT_EQ("2814 2813 2814", ui.Log());
    EXPECT_TRUE(yesAgain);
    EXPECT_EQ("1", Ini("TAM"));
}

TEST_P(ModemTest, AnswerFollowsTheSettingWhenBuiltAndNextStoresIt) {
    for (const char* modem : {"1", "0"}) {
        SCOPED_TRACE(modem);
        SetIni("Modem", modem);
        bool yes = false, no = false;
        UiDriver ui;
        ui.When(2815)
            .Do([&](HWND h) {
                yes = IsChecked(h, IDC_MODEM_YES);
                no = IsChecked(h, IDC_MODEM_NO);
            })
            .Click(kNextButton);
        RegisterWizardPage(2817, nullptr);
        Run(2815);
        EXPECT_EQ("2815", ui.Log());
        EXPECT_EQ(modem[0] == '1', yes);
        EXPECT_EQ(modem[0] == '0', no);
        EXPECT_EQ(modem, Ini("Modem"));
    }
}

TEST_P(ModemTest, BackGoesToTheVoiceNumberWithDedicatedLineOrDistinctiveRing) {
    struct Case {
        const char* dedicated;
        long ringPattern;  // 7: no distinctive ring
    } cases[] = {{"1", 7}, {"0", 2}, {"1", 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.dedicated) + " " + std::to_string(c.ringPattern));
        // The device says whether the line has distinctive ring; without a
        // device the settings always assume it has.
        SimDevice& device = ConnectDevice();
        device.SetInt(51, c.ringPattern);
        SetIni("DedicatedLine", c.dedicated);
        SetIni("Modem", "0");
        UiDriver ui;
        ui.When(2815).Check(IDC_MODEM_YES).Click(kBackButton);
        ui.When(2812).Click(IDCANCEL);
        ui.When(2820).Click(IDOK);
        Run(2815);
        EXPECT_EQ("2815 2812 2820", ui.Log());
        EXPECT_EQ(1, FaxSettings.Modem);  // stored by Back
        WizardCancelled = 0;
    }
}

TEST_P(ModemTest, BackGoesToTheAnsweringMachineOnASharedLineWithoutDistinctiveRing) {
    SimDevice& device = ConnectDevice();
    device.SetInt(51, 7);
    SetIni("DedicatedLine", "0");
    SetIni("Modem", "1");
    bool yesAgain = true;
    UiDriver ui;
    ui.When(2815).Check(IDC_MODEM_NO).Click(kBackButton);
    ui.When(2814).Click(kBackButton);
    ui.When(2813).Click(kNextButton);
    ui.When(2814).Click(kNextButton);
    ui.When(2815).Do([&](HWND h) { yesAgain = IsChecked(h, IDC_MODEM_YES); }).Click(kBackButton);
    ui.When(2814).Click(IDCANCEL);
    ui.When(2820).Click(IDOK);
    Run(2815);
    EXPECT_EQ("2815 2814 2813 2814 2815 2814 2820", ui.Log());
    EXPECT_FALSE(yesAgain);  // the page kept the answer given before
    EXPECT_EQ(0, FaxSettings.Modem);
}

TEST_P(ModemTest, NoAnswerCheckedStoresNo) {
    SetIni("Modem", "1");
    UiDriver ui;
    ui.When(2815)
        .Do([](HWND h) {
            CheckDlgButton(h, IDC_MODEM_YES, BST_UNCHECKED);
            CheckDlgButton(h, IDC_MODEM_NO, BST_UNCHECKED);
        })
        .Click(kNextButton);
    RegisterWizardPage(2817, nullptr);
    Run(2815);
    EXPECT_EQ(0, FaxSettings.Modem);
    EXPECT_EQ("0", Ini("Modem"));
}

INSTANTIATE_TEST_SUITE_P(Languages, AnsweringMachineTest, ::testing::Values("ENU", "DEU", "FRA", "ESP"));
INSTANTIATE_TEST_SUITE_P(Languages, ModemTest, ::testing::Values("ENU", "DEU", "FRA", "ESP"));
