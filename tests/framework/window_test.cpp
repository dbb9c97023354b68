#include <gtest/gtest.h>

#include "framework/dialog.h"
#include "tests/support/ui_driver.h"

using wiztest::UiDriver;

namespace {

// Drops every "x" typed, lets the rest through to the edit control.
class NoXEdit : public CEdit {
public:
    int chars = 0;

protected:
    void OnChar(UINT ch, UINT repeat, UINT flags) {
        ++chars;
        if (ch != 'x') Default();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(NoXEdit, CEdit)
    ON_WM_CHAR()
END_MESSAGE_MAP()

class EditDialog : public CDialog {
public:
    EditDialog() : CDialog(101) {}
    NoXEdit edit;
    int clicks = 0;
    CPoint lastClick;
    int changes = 0;
    int pokes = 0;

protected:
    void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, 301, edit); }
    void OnLButtonDown(UINT flags, CPoint point) {
        ++clicks;
        lastClick = point;
        CWnd::OnLButtonDown(flags, point);
    }
    void OnEditChange() { ++changes; }
    LRESULT OnPoke(WPARAM wParam, LPARAM) {
        pokes += (int)wParam;
        return 1234;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(EditDialog, CDialog)
    ON_WM_LBUTTONDOWN()
    ON_CONTROL(EN_CHANGE, 301, OnEditChange)
    ON_MESSAGE(WM_USER + 77, OnPoke)
END_MESSAGE_MAP()

}  // namespace

TEST(MessageMap, HandlersGetTheirArgumentsAndResults) {
    UiDriver ui;
    EditDialog dialog;
    LRESULT poked = 0;
    ui.When(101)
        .Do([&](HWND h) {
            SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 7));
            SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(-3, 9));
            poked = SendMessageA(h, WM_USER + 77, 4, 0);
            EXPECT_EQ(&dialog, CWnd::FromHandlePermanent(h));
        })
        .Click(IDCANCEL);
    dialog.DoModal();
    EXPECT_EQ(2, dialog.clicks);
    EXPECT_EQ(-3, dialog.lastClick.x);  // signed client coordinates
    EXPECT_EQ(9, dialog.lastClick.y);
    EXPECT_EQ(4, dialog.pokes);
    EXPECT_EQ(1234, poked);
}

TEST(MessageMap, ControlIsSubclassedOnceForEachWindowOfTheDialog) {
    EditDialog dialog;
    for (int round = 1; round <= 2; ++round) {
        UiDriver ui;
        std::string text;
        HWND bound = nullptr;
        ui.When(101)
            .Type(301, "axbx")
            .Read(301, &text)
            .Do([&](HWND h) {
                bound = dialog.edit.m_hWnd;
                EXPECT_EQ(GetDlgItem(h, 301), bound);
                // A second exchange leaves the binding as it is.
                dialog.UpdateData(FALSE);
                EXPECT_EQ(bound, dialog.edit.m_hWnd);
            })
            .Click(IDCANCEL);
        dialog.DoModal();
        EXPECT_EQ("ab", text) << "round " << round;
        EXPECT_EQ(4 * round, dialog.edit.chars);
        EXPECT_NE(nullptr, bound);
        EXPECT_EQ(nullptr, dialog.edit.m_hWnd);  // let go with its window
    }
    EXPECT_EQ(4, dialog.changes);  // one change for each character let through
}

TEST(WindowObjects, TemporaryWrappersForWindowsWithoutObject) {
    HWND plain = CreateWindowExA(0, "STATIC", "plain text", WS_POPUP, 0, 0, 10, 10, nullptr,
                                 nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, plain);
    CWnd* wrapper = CWnd::FromHandle(plain);
    ASSERT_NE(nullptr, wrapper);
    EXPECT_EQ(wrapper, CWnd::FromHandle(plain));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(plain));
    CString text;
    wrapper->GetWindowText(text);
    EXPECT_STREQ("plain text", text);
    CWnd::DeleteTempMap();
    // Deleting wrappers leaves their windows alone.
    EXPECT_TRUE(IsWindow(plain));
    DestroyWindow(plain);
    EXPECT_EQ(nullptr, CWnd::FromHandle(nullptr));
}

TEST(WindowObjects, SubclassAndUnsubclassRestoreTheWindow) {
    HWND edit = CreateWindowExA(0, "EDIT", "", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, nullptr,
                                nullptr);
    ASSERT_NE(nullptr, edit);
    LONG_PTR original = GetWindowLongPtrA(edit, GWLP_WNDPROC);
    {
        NoXEdit object;
        ASSERT_TRUE(object.SubclassWindow(edit));
        EXPECT_FALSE(object.SubclassWindow(edit));  // one object per window
        SendMessageA(edit, WM_CHAR, 'x', 1);
        SendMessageA(edit, WM_CHAR, 'y', 1);
        EXPECT_EQ(2, object.chars);
        char buffer[8] = {};
        GetWindowTextA(edit, buffer, sizeof buffer);
        EXPECT_STREQ("y", buffer);
    }
    // The object's end gives the window back, unharmed.
    EXPECT_TRUE(IsWindow(edit));
    EXPECT_EQ(original, GetWindowLongPtrA(edit, GWLP_WNDPROC));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(edit));
    DestroyWindow(edit);
}
