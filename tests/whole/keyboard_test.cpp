// The whole road from the keyboard alone: real key presses (SendInput) reach
// the page in front, as a person's typing does; no clicks and no messages to
// controls. On each page the focus starts on its first field (on Next where it
// has none), Tab visits the tab stops in order and wraps both ways, and the
// answers are typed, picked with the arrow keys or access keys, and Enter
// goes on. What was typed is what the wizard stored.
#include <gtest/gtest.h>

#include <windows.h>

#include "resources/resource_ids.h"
#include "tests/whole/whole_fixture.h"

using namespace wholetest;

namespace {

const DWORD kKeyTimeoutMs = 5000;
// The keys go to the foreground window of the desktop: on a desktop of its
// own no other program's window can take them.
const char kDesktop[] = "KeyboardRoad";

bool JournalHas(const std::vector<std::string>& journal, const std::string& line) {
    for (const std::string& each : journal)
        if (each == line) return true;
    return false;
}

// A key on the way, with the control that must have the focus after it and
// the radio button that must be checked then (0: none to check). Escape is
// the quit question, answered No. Text is typed over the whole field that
// has the focus.
struct Step {
    WORD Key;
    int Modifiers;
    std::string Text;
    int Focus;
    int Checked;
};

struct PageKeys {
    int Page;
    // The tab stops from the one that has the focus when the page opens.
    std::vector<int> TabStops;
    std::vector<Step> Steps;
};

Step Press(WORD key, int focus, int checked = 0) { return {key, wizdrive::kNoModifier, "", focus, checked}; }
Step Alt(char key, int focus, int checked = 0) { return {(WORD)key, wizdrive::kAlt, "", focus, checked}; }
Step Type(const std::string& text) { return {0, 0, text, 0, 0}; }

int FocusId(HWND dialog) {
    HWND focus = wizdrive::FocusOf(dialog);
    return focus && GetParent(focus) == dialog ? GetDlgCtrlID(focus) : 0;
}

::testing::AssertionResult FocusGoesTo(HWND dialog, int id) {
    if (wizdrive::WaitUntil([&] { return FocusId(dialog) == id; }, kKeyTimeoutMs))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "focus on " << FocusId(dialog) << ", not " << id;
}

// A key that reaches the dialog in front: the foreground window is where the
// system sends the keyboard's input.
::testing::AssertionResult PressOn(HWND dialog, WORD key, int modifiers = wizdrive::kNoModifier) {
    if (GetForegroundWindow() != dialog)
        return ::testing::AssertionFailure() << "not in front: " << wizdrive::TemplateIdOf(dialog);
    if (!wizdrive::PressKey(key, modifiers)) return ::testing::AssertionFailure() << "SendInput";
    return ::testing::AssertionSuccess();
}

// The focus starts on the first tab stop; Tab goes round them all and back
// to the first, Shift+Tab from the first goes to the last.
void CheckTabCycle(HWND page, const std::vector<int>& stops) {
    ASSERT_TRUE(FocusGoesTo(page, stops[0])) << "where the focus starts";
    for (size_t i = 1; i <= stops.size(); ++i) {
        ASSERT_TRUE(PressOn(page, VK_TAB));
        ASSERT_TRUE(FocusGoesTo(page, stops[i % stops.size()])) << "Tab number " << i;
    }
    ASSERT_TRUE(PressOn(page, VK_TAB, wizdrive::kShift));
    ASSERT_TRUE(FocusGoesTo(page, stops.back())) << "Shift+Tab from the first";
    ASSERT_TRUE(PressOn(page, VK_TAB));
    ASSERT_TRUE(FocusGoesTo(page, stops[0]));
}

// Escape asks whether to quit; Tab to No and Enter stays on the page.
void EscapeAndStay(wizdrive::Program& wizard, HWND page) {
    ASSERT_TRUE(PressOn(page, VK_ESCAPE));
    HWND confirm = wizard.WaitForActive(kQuitConfirm, kDialogTimeoutMs);
    ASSERT_NE(nullptr, confirm) << "no quit confirmation after Escape";
    ASSERT_TRUE(wizdrive::WaitUntil([&] { return GetForegroundWindow() == confirm; },
                                    kKeyTimeoutMs));
    ASSERT_NO_FATAL_FAILURE(CheckTabCycle(confirm, {IDOK, IDCANCEL}));
    ASSERT_TRUE(PressOn(confirm, VK_TAB));
    ASSERT_TRUE(FocusGoesTo(confirm, IDCANCEL));
    ASSERT_TRUE(PressOn(confirm, VK_RETURN));
    ASSERT_EQ(page, wizard.WaitForActive(wizdrive::TemplateIdOf(page), kDialogTimeoutMs));
    ASSERT_TRUE(wizdrive::WaitUntil([&] { return GetForegroundWindow() == page; },
                                    kKeyTimeoutMs));
}

void DoStep(wizdrive::Program& wizard, HWND page, const Step& step) {
    if (step.Key == VK_ESCAPE) {
        ASSERT_NO_FATAL_FAILURE(EscapeAndStay(wizard, page));
        EXPECT_TRUE(FocusGoesTo(page, step.Focus)) << "the focus after the quit question";
        return;
    }
    if (!step.Text.empty()) {
        HWND field = wizdrive::FocusOf(page);
        // Home, Shift+End: what is typed replaces the whole field.
        ASSERT_TRUE(PressOn(page, VK_HOME));
        ASSERT_TRUE(PressOn(page, VK_END, wizdrive::kShift));
        ASSERT_TRUE(wizdrive::TypeKeys(step.Text));
        EXPECT_TRUE(wizdrive::WaitUntil([&] { return wizdrive::TextOf(field) == step.Text; },
                                        kKeyTimeoutMs))
            << wizdrive::TextOf(field);
        return;
    }
    ASSERT_TRUE(PressOn(page, step.Key, step.Modifiers));
    EXPECT_TRUE(FocusGoesTo(page, step.Focus)) << "after key " << step.Key;
    if (step.Checked) {
        EXPECT_TRUE(wizdrive::WaitUntil([&] { return wizdrive::IsChecked(page, step.Checked); },
                                        kKeyTimeoutMs))
            << step.Checked << " not checked after key " << step.Key;
    }
}

// Walks the pages with the keys of the table, Enter on each, and closes the
// summary's editor the last page opens; the wizard must end by itself.
void WalkWithKeys(wizdrive::Program& wizard, const std::vector<PageKeys>& road) {
    for (const PageKeys& keys : road) {
        SCOPED_TRACE("page " + std::to_string(keys.Page));
        HWND page = wizard.WaitForActive(keys.Page, kDialogTimeoutMs);
        ASSERT_NE(nullptr, page);
        ASSERT_TRUE(wizdrive::WaitUntil([&] { return GetForegroundWindow() == page; },
                                        kKeyTimeoutMs))
            << "the page is not in front";
        ASSERT_NO_FATAL_FAILURE(CheckTabCycle(page, keys.TabStops));
        for (const Step& step : keys.Steps) ASSERT_NO_FATAL_FAILURE(DoStep(wizard, page, step));
        ASSERT_TRUE(PressOn(page, VK_RETURN));
        // Finish waits for the summary's editor: it is closed as it shows.
        ASSERT_TRUE(wizdrive::WaitUntil(
            [&] {
                for (DWORD child : wizdrive::ChildrenOf(wizard.Id()))
                    for (HWND window : wizdrive::WindowsOf(child)) wizdrive::Close(window);
                return !IsWindow(page) || !IsWindowVisible(page);
            },
            kDialogTimeoutMs))
            << "Enter did not leave the page";
    }
    ASSERT_TRUE(wizard.WaitForExit(kExitTimeoutMs)) << "the wizard did not end after Finish";
    EXPECT_EQ(0u, wizard.ExitCode());
}

}  // namespace

// Every page: the fax and voice numbers typed alike bring the question of
// the one number, and its shared line the shared number and the answering
// machine.
TEST(Keyboard, EveryPageInEnglish) {
    DemoInstall demo;
    ASSERT_EQ("", demo.Error());
    wizdrive::Program wizard;
    ASSERT_TRUE(wizdrive::EnterDesktop(kDesktop));
    wizard.Desktop = kDesktop;
    ASSERT_NE(nullptr, StartAtWelcome(wizard, demo));

    const std::vector<PageKeys> road = {
        {IDD_WELCOME, {IDC_NEXT, IDCANCEL}, {}},
        {IDD_NAME_COMPANY, {IDC_USER_NAME, IDC_COMPANY, IDC_BACK, IDC_NEXT, IDCANCEL},
         {Type("Dana Whitfield"), Alt('C', IDC_COMPANY), Type("Whitfield & Co"),
          Press(VK_ESCAPE, IDC_COMPANY)}},
        {IDD_DEVICE_OPTION, {IDC_OPTION_NO, IDC_BACK, IDC_NEXT, IDCANCEL},
         {Press(VK_UP, IDC_OPTION_YES, IDC_OPTION_YES)}},
        {IDD_DEDICATED_LINE, {IDC_LINE_DEDICATED, IDC_BACK, IDC_NEXT, IDCANCEL}, {}},
        {IDD_FAX_NUMBER, {IDC_FAX_NUMBER, IDC_BACK, IDC_NEXT, IDCANCEL}, {Type("+1 555 0100")}},
        {IDD_VOICE_NUMBER, {IDC_VOICE_NUMBER, IDC_BACK, IDC_NEXT, IDCANCEL}, {Type("+1 555 0100")}},
        {IDD_SAME_NUMBER, {IDC_SAME_DEDICATED, IDC_NEXT, IDCANCEL},
         {Press(VK_DOWN, IDC_SAME_SHARED, IDC_SAME_SHARED)}},
        {IDD_SHARED_NUMBER, {IDC_SHARED_NUMBER, IDC_BACK, IDC_NEXT, IDCANCEL}, {Type("(555) 0123")}},
        {IDD_ANSWERING_MACHINE, {IDC_TAM_NO, IDC_BACK, IDC_NEXT, IDCANCEL},
         {Alt('Y', IDC_TAM_YES, IDC_TAM_YES)}},
        {IDD_MODEM, {IDC_MODEM_NO, IDC_BACK, IDC_NEXT, IDCANCEL},
         {Press(VK_UP, IDC_MODEM_YES, IDC_MODEM_YES), Press(VK_DOWN, IDC_MODEM_NO, IDC_MODEM_NO)}},
        {IDD_SUMMARY, {IDC_NEXT, IDCANCEL, IDC_README, IDC_DEVICE_COMMAND, IDC_BACK}, {}},
        {IDD_FINISH, {IDC_NEXT, IDCANCEL, IDC_BACK}, {}},
    };
    ASSERT_NO_FATAL_FAILURE(WalkWithKeys(wizard, road));

    EXPECT_EQ("Dana Whitfield", demo.Setup("UserName"));
    EXPECT_EQ("Whitfield & Co", demo.Setup("Company"));
    EXPECT_EQ("(555) 0123", demo.Setup("FaxNumber"));
    EXPECT_EQ("0", demo.Setup("DedicatedLine"));
    EXPECT_EQ("1", demo.Setup("TAM"));
    EXPECT_EQ("0", demo.Setup("Modem"));
    EXPECT_EQ("0", demo.Setup("SetupRun"));
    EXPECT_TRUE(JournalHas(demo.Journal(77), "object 45 type 1 length 2 value 2 result 0"))
        << "the device option";
}

// The Japanese module under code page 932, the straight road of a dedicated
// line: its access keys and its keyboard layout's keys.
TEST(Keyboard, DedicatedLineInJapanese) {
    ASSERT_EQ(932u, GetACP());
    DemoOptions options;
    options.Language = "JPN";
    DemoInstall demo(options);
    ASSERT_EQ("", demo.Error());
    wizdrive::Program wizard;
    ASSERT_TRUE(wizdrive::EnterDesktop(kDesktop));
    wizard.Desktop = kDesktop;
    HWND welcome = StartAtWelcome(wizard, demo);
    ASSERT_NE(nullptr, welcome);
    wchar_t next[32] = L"";
    GetDlgItemTextW(welcome, IDC_NEXT, next, 32);
    ASSERT_EQ(std::wstring(L"\u6b21\u3078(&N) >"), next) << "not the Japanese module";

    const std::vector<PageKeys> road = {
        {IDD_WELCOME, {IDC_NEXT, IDCANCEL}, {}},
        {IDD_NAME_COMPANY, {IDC_USER_NAME, IDC_COMPANY, IDC_BACK, IDC_NEXT, IDCANCEL},
         {Alt('C', IDC_COMPANY), Type("Sato Trading"), Alt('M', IDC_USER_NAME), Type("Sato Yuki")}},
        {IDD_DEVICE_OPTION, {IDC_OPTION_NO, IDC_BACK, IDC_NEXT, IDCANCEL}, {}},
        {IDD_DEDICATED_LINE, {IDC_LINE_DEDICATED, IDC_BACK, IDC_NEXT, IDCANCEL},
         {Press(VK_DOWN, IDC_LINE_SHARED, IDC_LINE_SHARED),
          Press(VK_UP, IDC_LINE_DEDICATED, IDC_LINE_DEDICATED)}},
        {IDD_FAX_NUMBER, {IDC_FAX_NUMBER, IDC_BACK, IDC_NEXT, IDCANCEL}, {Type("+81 3-5555-0100")}},
        {IDD_VOICE_NUMBER, {IDC_VOICE_NUMBER, IDC_BACK, IDC_NEXT, IDCANCEL},
         {Type("03 5555 0199"), Press(VK_ESCAPE, IDC_VOICE_NUMBER)}},
        {IDD_MODEM, {IDC_MODEM_NO, IDC_BACK, IDC_NEXT, IDCANCEL}, {Alt('Y', IDC_MODEM_YES, IDC_MODEM_YES)}},
        {IDD_SUMMARY, {IDC_NEXT, IDCANCEL, IDC_README, IDC_DEVICE_COMMAND, IDC_BACK}, {}},
        {IDD_FINISH, {IDC_NEXT, IDCANCEL, IDC_BACK}, {}},
    };
    ASSERT_NO_FATAL_FAILURE(WalkWithKeys(wizard, road));

    EXPECT_EQ("Sato Yuki", demo.Setup("UserName"));
    EXPECT_EQ("Sato Trading", demo.Setup("Company"));
    EXPECT_EQ("+81 3-5555-0100", demo.Setup("FaxNumber"));
    EXPECT_EQ("03 5555 0199", demo.Setup("VoiceNumber"));
    EXPECT_EQ("1", demo.Setup("DedicatedLine"));
    EXPECT_EQ("1", demo.Setup("Modem"));
    EXPECT_EQ("Sato Yuki", DemoInstall::Registration(77, "UserName"));
}
