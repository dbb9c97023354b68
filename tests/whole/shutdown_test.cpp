// Shutdown requests from another program while the wizard runs.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/whole/whole_fixture.h"

using namespace wholetest;

namespace {

class Shutdown : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ("", demo_.Error());
        page_ = StartAtWelcome(wizard_, demo_);
        ASSERT_NE(nullptr, page_);
    }

    // Settings were saved as at a normal finish: the product INI, the
    // registration INI and the device have them.
    void ExpectSaved() {
        EXPECT_NE("<none>", demo_.Setup("UserName"));
        EXPECT_EQ("1", demo_.Setup("DedicatedLine"));
        EXPECT_EQ("A.06.02.03", DemoInstall::Registration(77, "SoftwareVersion"));
        EXPECT_FALSE(demo_.Journal(77).empty());
        EXPECT_EQ("0", demo_.Setup("SetupRun"));
    }

    DemoInstall demo_;
    wizdrive::Program wizard_;
    HWND page_ = nullptr;
};

}  // namespace

TEST_F(Shutdown, ConfirmedRequestEndsTheWizardAndSavesTheSettings) {
    ASSERT_EQ(1, RequestShutdown(77));
    HWND confirm = wizard_.WaitForActive(kQuitConfirm, kDialogTimeoutMs);
    ASSERT_NE(nullptr, confirm);
    // The question comes above the page, which waits for it.
    EXPECT_TRUE(IsWindowVisible(page_));
    EXPECT_FALSE(IsWindowEnabled(page_));

    ASSERT_TRUE(wizdrive::Click(confirm, IDOK));
    ASSERT_TRUE(wizard_.WaitForExit(kExitTimeoutMs));
    EXPECT_EQ(0u, wizard_.ExitCode());
    ExpectSaved();
}

TEST_F(Shutdown, DeclinedRequestLeavesTheWizardAsItWas) {
    ASSERT_EQ(1, RequestShutdown(77));
    HWND confirm = wizard_.WaitForActive(kQuitConfirm, kDialogTimeoutMs);
    ASSERT_NE(nullptr, confirm);
    ASSERT_TRUE(wizdrive::Click(confirm, IDCANCEL));

    ASSERT_EQ(page_, wizard_.WaitForActive(kWelcomePage, kDialogTimeoutMs));
    EXPECT_EQ(nullptr, wizard_.FindDialog(kQuitConfirm));
    EXPECT_TRUE(wizard_.Running());
    EXPECT_EQ("1", demo_.Setup("SetupRun"));
    EXPECT_EQ("<none>", demo_.Setup("UserName"));

    // A later request is heard just the same.
    ASSERT_EQ(1, RequestShutdown(77));
    confirm = wizard_.WaitForActive(kQuitConfirm, kDialogTimeoutMs);
    ASSERT_NE(nullptr, confirm);
    ASSERT_TRUE(wizdrive::Click(confirm, IDCANCEL));
    ASSERT_NE(nullptr, wizard_.WaitForActive(kWelcomePage, kDialogTimeoutMs));
    CancelWizard(wizard_, page_);
    EXPECT_EQ("<none>", demo_.Setup("UserName"));
}

TEST_F(Shutdown, RequestWithoutSecondParameterOneIsIgnored) {
    HWND main = wizard_.MainWindow();
    ASSERT_NE(nullptr, main);
    ASSERT_TRUE(PostMessageA(main, kShutdownRequestMessage, 0, 0));
    ASSERT_TRUE(PostMessageA(main, kShutdownRequestMessage, 1, 2));
    // Posted messages arrive in order: once this one asks, the two before it
    // have been handled, and had they asked too, there would be more questions.
    ASSERT_TRUE(PostMessageA(main, kShutdownRequestMessage, 0, 1));
    HWND confirm = wizard_.WaitForActive(kQuitConfirm, kDialogTimeoutMs);
    ASSERT_NE(nullptr, confirm);
    Sleep(500);
    int questions = 0;
    for (HWND dialog : wizard_.Dialogs())
        if (wizdrive::TemplateIdOf(dialog) == kQuitConfirm) ++questions;
    EXPECT_EQ(1, questions);

    ASSERT_TRUE(wizdrive::Click(wizard_.ActiveDialog(), IDCANCEL));
    ASSERT_EQ(page_, wizard_.WaitForActive(kWelcomePage, kDialogTimeoutMs));
    Sleep(300);
    EXPECT_EQ(nullptr, wizard_.FindDialog(kQuitConfirm));
    CancelWizard(wizard_, page_);
}

TEST_F(Shutdown, RequestDuringCancelConfirmationAsksAgainAboveIt) {
    ASSERT_TRUE(wizdrive::Click(page_, IDCANCEL));
    HWND first = wizard_.WaitForActive(kQuitConfirm, kDialogTimeoutMs);
    ASSERT_NE(nullptr, first);

    ASSERT_EQ(1, RequestShutdown(77));
    HWND second = nullptr;
    DWORD start = GetTickCount();
    while (!second && GetTickCount() - start < kDialogTimeoutMs) {
        HWND active = wizard_.ActiveDialog();
        if (active && active != first && wizdrive::TemplateIdOf(active) == kQuitConfirm)
            second = active;
        else
            Sleep(10);
    }
    ASSERT_NE(nullptr, second) << "no second confirmation";
    EXPECT_FALSE(IsWindowEnabled(first));
    std::vector<HWND> dialogs = wizard_.Dialogs();  // top first
    auto at = [&](HWND w) { return std::find(dialogs.begin(), dialogs.end(), w) - dialogs.begin(); };
    EXPECT_LT(at(second), at(first)) << "the second confirmation is not above the first";
    EXPECT_LT(at(first), at(page_));

    // Quitting from the request: the first question goes away with it, the
    // run ends as finished rather than cancelled, and the settings are saved.
    ASSERT_TRUE(wizdrive::Click(second, IDOK));
    ASSERT_TRUE(wizard_.WaitForExit(kExitTimeoutMs));
    ExpectSaved();
}
