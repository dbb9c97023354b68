#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "framework/app.h"
#include "framework/dialog.h"
#include "framework/frame.h"
#include "framework/resource.h"
#include "tests/support/test_support.h"
#include "tests/support/ui_driver.h"

using wiztest::UiDriver;

namespace {

// Every dialog of these tests comes from the framework test module.
class ResourceEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        module_ = LoadLibraryA((wiztest::BinDir() + "\\frameworkres.dll").c_str());
        ASSERT_NE(nullptr, module_) << "frameworkres.dll not built";
        AfxSetResourceHandle(module_);
    }
    void TearDown() override {
        AfxSetResourceHandle(nullptr);
        FreeLibrary(module_);
    }

private:
    HMODULE module_ = nullptr;
};
::testing::Environment* const g_env = ::testing::AddGlobalTestEnvironment(new ResourceEnvironment);

class TestDialog : public CDialog {
public:
    explicit TestDialog(CWnd* parent = nullptr, UINT templateId = 100)
        : CDialog(templateId, parent) {}
    int radio = 0;
    int otherRadio = 0;
    bool exchangeOther = false;
    int okCount = 0;
    int cancelCount = 0;
    bool cancelEnds = true;

protected:
    void DoDataExchange(CDataExchange* dx) override {
        if (m_nIDTemplate != 100) return;  // the radio buttons are on 100 only
        DDX_Radio(dx, 201, radio);
        if (exchangeOther) DDX_Radio(dx, 211, otherRadio);
    }
    void OnOK() override {
        ++okCount;
        CDialog::OnOK();
    }
    void OnCancel() override {
        ++cancelCount;
        if (cancelEnds) CDialog::OnCancel();
    }
    void OnPress() { EndDialog(501); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TestDialog, CDialog)
    ON_BN_CLICKED(501, OnPress)
END_MESSAGE_MAP()

// A frame that counts a private message.
class CountingFrame : public CFrameWnd {
public:
    CountingFrame() { Create(nullptr, "Counting frame", WS_OVERLAPPEDWINDOW, CRect(10, 10, 210, 110)); }
    int received = 0;
    LPARAM lastParam = 0;

protected:
    LRESULT OnPrivate(WPARAM, LPARAM lParam) {
        ++received;
        lastParam = lParam;
        return 42;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CountingFrame, CFrameWnd)
    ON_MESSAGE(WM_USER + 5, OnPrivate)
END_MESSAGE_MAP()

bool QuitPending(WPARAM* code) {
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) return false;
    if (code) *code = msg.wParam;
    return true;
}

}  // namespace

TEST(DialogModal, MissingTemplateGivesMinusOneAndCreatesNothing) {
    UiDriver ui;
    TestDialog dialog(nullptr, 4711);
    EXPECT_EQ(-1, dialog.DoModal());
    EXPECT_EQ(nullptr, dialog.m_hWnd);
    EXPECT_EQ("", ui.Log());
}

TEST(DialogModal, ButtonsKeysAndCloseBoxEndTheDialog) {
    {
        UiDriver ui;
        ui.When(100).Click(IDOK);
        TestDialog dialog;
        EXPECT_EQ(IDOK, dialog.DoModal());
        EXPECT_EQ(1, dialog.okCount);
        EXPECT_EQ(nullptr, dialog.m_hWnd);  // the window is gone after the run
    }
    {
        UiDriver ui;
        ui.When(100).Click(501);
        TestDialog dialog;
        EXPECT_EQ(501, dialog.DoModal());
    }
    {
        UiDriver ui;
        ui.When(100).Key(VK_ESCAPE);
        TestDialog dialog;
        EXPECT_EQ(IDCANCEL, dialog.DoModal());
        EXPECT_EQ(1, dialog.cancelCount);
    }
    {
        UiDriver ui;
        ui.When(100).Close();
        TestDialog dialog;
        EXPECT_EQ(IDCANCEL, dialog.DoModal());
        EXPECT_EQ(1, dialog.cancelCount);
    }
    {
        // Enter without a default button reaches OnOK.
        UiDriver ui;
        ui.When(101).Key(VK_RETURN);
        TestDialog dialog(nullptr, 101);
        EXPECT_EQ(IDOK, dialog.DoModal());
        EXPECT_EQ(1, dialog.okCount);
    }
}

TEST(DialogModal, CancelThatDoesNotEndKeepsTheDialogOpen) {
    UiDriver ui;
    TestDialog dialog;
    ui.When(100).Click(IDCANCEL).Do([&](HWND) { dialog.cancelEnds = false; }).Click(IDCANCEL).Do(
        [&](HWND h) { PostMessageA(GetDlgItem(h, 501), BM_CLICK, 0, 0); });
    EXPECT_EQ(501, dialog.DoModal());
    EXPECT_EQ(2, dialog.cancelCount);
}

TEST(DialogModal, QuitEndsTheDialogWithMinusOneAndIsPostedAgain) {
    UiDriver ui;
    ui.When(100).Do([](HWND) { PostQuitMessage(7); });
    TestDialog dialog;
    EXPECT_EQ(-1, dialog.DoModal());
    WPARAM code = 0;
    ASSERT_TRUE(QuitPending(&code));
    EXPECT_EQ(7u, code);
}

namespace {

// Opens a nested dialog from a button handler, as a page's cancel opens the
// quit confirmation.
class OuterDialog : public TestDialog {
public:
    INT_PTR inner = 0;

protected:
    void OnPressOuter() {
        TestDialog nested(this, 101);
        inner = nested.DoModal();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(OuterDialog, TestDialog)
    ON_BN_CLICKED(501, OnPressOuter)
END_MESSAGE_MAP()

}  // namespace

TEST(DialogModal, QuitEndsNestedDialogsOneAfterTheOther) {
    UiDriver ui;
    HWND outerWindow = nullptr;
    ui.When(100).Do([&](HWND h) { outerWindow = h; }).Click(501);
    ui.When(101).Do([&](HWND h) {
        // The nested dialog is owned by the outer one, which is disabled.
        EXPECT_EQ(outerWindow, GetWindow(h, GW_OWNER));
        EXPECT_FALSE(IsWindowEnabled(outerWindow));
        PostQuitMessage(3);
    });
    OuterDialog outer;
    EXPECT_EQ(-1, outer.DoModal());
    EXPECT_EQ(-1, outer.inner);
    WPARAM code = 0;
    EXPECT_TRUE(QuitPending(&code));
    EXPECT_EQ(3u, code);
    EXPECT_EQ("100 101", ui.Log());
}

TEST(DialogModal, OwnerIsDisabledWhileOpenAndEnabledAfter) {
    CountingFrame frame;
    ASSERT_NE(nullptr, frame.m_hWnd);
    UiDriver ui;
    ui.When(100).Do([&](HWND h) {
        EXPECT_EQ(frame.m_hWnd, GetWindow(h, GW_OWNER));
        EXPECT_FALSE(IsWindowEnabled(frame.m_hWnd));
    }).Click(IDOK);
    TestDialog dialog(&frame);
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_TRUE(IsWindowEnabled(frame.m_hWnd));
}

TEST(DialogModal, WithoutParentTheMainWindowOwnsTheDialog) {
    CWinApp app;
    CountingFrame frame;
    app.m_pMainWnd = &frame;
    UiDriver ui;
    ui.When(100).Do([&](HWND h) {
        EXPECT_EQ(frame.m_hWnd, GetWindow(h, GW_OWNER));
        EXPECT_FALSE(IsWindowEnabled(frame.m_hWnd));
    }).Click(IDOK);
    TestDialog dialog;
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_TRUE(IsWindowEnabled(frame.m_hWnd));
    app.m_pMainWnd = nullptr;
}

TEST(DialogModal, LoopDispatchesMessagesOfOtherWindows) {
    CountingFrame frame;
    UiDriver ui;
    ui.When(100)
        .Do([&](HWND) { frame.PostMessage(WM_USER + 5, 0, 99); })
        .Do([&](HWND h) {
            // Checked once the posted message had its turn in the loop.
            PostMessageA(GetDlgItem(h, IDOK), BM_CLICK, 0, 0);
        });
    TestDialog dialog;
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ(1, frame.received);
    EXPECT_EQ(99, frame.lastParam);
}

TEST(DialogModal, TemplateIdIsRecordedOnTheWindow) {
    UiDriver ui;
    int seen = 0;
    ui.When(101).Do([&](HWND h) { seen = UiDriver::TemplateIdOf(h); }).Click(IDCANCEL);
    TestDialog dialog(nullptr, 101);
    dialog.DoModal();
    EXPECT_EQ(101, seen);
}

TEST(DataExchange, RadioGroupIndexRunsToTheNextGroup) {
    UiDriver ui;
    TestDialog dialog;
    dialog.radio = 2;
    dialog.exchangeOther = true;
    dialog.otherRadio = 1;
    std::vector<int> seen;
    ui.When(100)
        .Do([&](HWND h) {
            // Put into the controls by the initialisation: "Three" is the
            // third radio button even with a static text between.
            EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(h, 203));
            EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(h, 201));
            EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(h, 212));
            dialog.UpdateData(TRUE);
            seen.push_back(dialog.radio);
            CheckDlgButton(h, 203, BST_UNCHECKED);
            dialog.UpdateData(TRUE);
            seen.push_back(dialog.radio);  // none checked
            CheckDlgButton(h, 202, BST_CHECKED);
            dialog.UpdateData(TRUE);
            seen.push_back(dialog.radio);
            seen.push_back(dialog.otherRadio);
            dialog.radio = -1;
            dialog.UpdateData(FALSE);
            EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(h, 202));
        })
        .Check(211)
        .Click(IDOK);
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ((std::vector<int>{2, -1, 1, 1}), seen);
    EXPECT_EQ(0, dialog.otherRadio);  // taken by OnOK after the click on "Other A"
    EXPECT_EQ(-1, dialog.radio);
}

TEST(DataExchange, MissingControlFailsTheExchangeAndKeepsTheValue) {
    UiDriver ui;
    class MissingRadio : public CDialog {
    public:
        MissingRadio() : CDialog(101) {}
        int value = 5;
        BOOL result = TRUE;

    protected:
        void DoDataExchange(CDataExchange* dx) override { DDX_Radio(dx, 999, value); }
    } dialog;
    ui.When(101).Do([&](HWND) { dialog.result = dialog.UpdateData(TRUE); }).Key(VK_RETURN).Click(
        IDCANCEL);
    // OnOK refuses to end while the exchange fails; Cancel ends it.
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    EXPECT_FALSE(dialog.result);
    EXPECT_EQ(5, dialog.value);
}

TEST(UiDriverUse, SeesMessageBoxesOwnedByTheDialog) {
    UiDriver ui;
    int answer = 0;
    HWND dialogWindow = nullptr, owner = nullptr;
    ui.When(100)
        .Do([&](HWND h) {
            dialogWindow = h;
            answer = CWnd::FromHandle(h)->MessageBox("Number missing", "Fax",
                                                     MB_OK | MB_ICONEXCLAMATION);
        })
        .Click(IDOK);
    ui.WhenMessageBox().Do([&](HWND box) { owner = GetWindow(box, GW_OWNER); }).Click(IDOK);
    TestDialog dialog;
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ(IDOK, answer);
    EXPECT_EQ(dialogWindow, owner);
    EXPECT_EQ("100 0", ui.Log());
    ASSERT_EQ(1u, ui.MessageTexts().size());
    EXPECT_EQ("Number missing", ui.MessageTexts()[0]);
    EXPECT_EQ("Fax", ui.MessageCaptions()[0]);
}

namespace {

void RunNobodyEndsTheDialog() {
    UiDriver ui(800);
    ui.When(100);  // nobody ends the dialog
    TestDialog dialog;
    EXPECT_EQ(-1, dialog.DoModal());
}

void RunUnexpectedDialog() {
    UiDriver ui;
    ui.When(101).Click(IDCANCEL);
    TestDialog dialog;
    EXPECT_EQ(-1, dialog.DoModal());
}

void RunDialogNeverOpened() {
    UiDriver ui;
    ui.When(101);
}

}  // namespace

TEST(UiDriverUse, WatchdogFailsATestThatWouldHang) {
    EXPECT_NONFATAL_FAILURE(RunNobodyEndsTheDialog(), "watchdog");
}

TEST(UiDriverUse, UnexpectedOrMissingDialogsFailTheTest) {
    EXPECT_NONFATAL_FAILURE(RunUnexpectedDialog(), "dialog 100 opened where 101 was expected");
    EXPECT_NONFATAL_FAILURE(RunDialogNeverOpened(), "expected but never opened: 101");
}
