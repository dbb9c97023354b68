#include <gtest/gtest.h>

#include "framework/app.h"
#include "framework/frame.h"

namespace {

class CountingApp : public CWinApp {
public:
    BOOL start = TRUE;
    int inits = 0;
    int exits = 0;
    BOOL InitInstance() override {
        ++inits;
        if (start) PostQuitMessage(5);
        return start;
    }
    int ExitInstance() override {
        ++exits;
        return CWinApp::ExitInstance() + 100;
    }
};

bool TakeQuit() {
    MSG msg;
    return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}

}  // namespace

TEST(Application, WinMainRunsTheLoopUntilQuitThenExits) {
    CountingApp app;
    ASSERT_EQ(&app, AfxGetApp());
    char commandLine[] = "-d77";
    EXPECT_EQ(105, AfxWinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOW));
    EXPECT_EQ(1, app.inits);
    EXPECT_EQ(1, app.exits);
    EXPECT_STREQ("-d77", app.m_lpCmdLine);
    EXPECT_EQ(GetModuleHandleA(nullptr), app.m_hInstance);
}

TEST(Application, RefusedStartGoesStraightToExit) {
    CountingApp app;
    app.start = FALSE;
    PostMessageA(nullptr, WM_NULL, 0, 0);
    char commandLine[] = "";
    EXPECT_EQ(100, AfxWinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOW));
    EXPECT_EQ(1, app.exits);
    // The loop never ran: the thread message is still there.
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_NULL, WM_NULL, PM_REMOVE));
}

TEST(Application, WaitCursorNestsAndRestores) {
    CWinApp app;
    HCURSOR arrow = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    HCURSOR wait = LoadCursorA(nullptr, (LPCSTR)IDC_WAIT);
    SetCursor(arrow);
    app.BeginWaitCursor();
    EXPECT_EQ(wait, GetCursor());
    app.BeginWaitCursor();
    app.EndWaitCursor();
    EXPECT_EQ(wait, GetCursor());
    app.EndWaitCursor();
    EXPECT_EQ(arrow, GetCursor());
    app.EndWaitCursor();  // one too many changes nothing
    EXPECT_EQ(arrow, GetCursor());
}

TEST(FrameWindow, CreatesTheWindowAsAsked) {
    CFrameWnd frame;
    ASSERT_TRUE(frame.Create(nullptr, "Hidden main", WS_POPUP | WS_CAPTION | WS_SYSMENU,
                             CRect(200, 200, 400, 400)));
    char className[64] = {};
    GetClassNameA(frame.m_hWnd, className, sizeof className);
    EXPECT_STREQ(CFrameWnd::kDefaultClassName, className);
    // The platform adds WS_CLIPSIBLINGS to every top-level window.
    EXPECT_EQ(0x80C80000u, frame.GetStyle() & ~(DWORD)WS_CLIPSIBLINGS);
    CRect rect;
    frame.GetWindowRect(&rect);
    EXPECT_EQ(CRect(200, 200, 400, 400).left, rect.left);
    EXPECT_EQ(200, rect.top);
    EXPECT_EQ(400, rect.right);
    EXPECT_EQ(400, rect.bottom);
    EXPECT_EQ(&frame, CWnd::FromHandlePermanent(frame.m_hWnd));

    frame.SetWindowPos(&CWnd::wndTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_TRUE(frame.GetExStyle() & WS_EX_TOPMOST);
    frame.GetWindowRect(&rect);
    EXPECT_EQ(200, rect.left);
}

TEST(FrameWindow, ObjectEndDestroysItsWindowQuietly) {
    CWinApp app;
    HWND window = nullptr;
    {
        CFrameWnd frame;
        ASSERT_TRUE(frame.Create(nullptr, "Main"));
        window = frame.m_hWnd;
        app.m_pMainWnd = &frame;
    }
    app.m_pMainWnd = nullptr;
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(TakeQuit());  // deleting the main window at exit posts no quit
}

TEST(FrameWindow, MainWindowDestroyedWhileRunningEndsTheApplication) {
    CWinApp app;
    CFrameWnd frame;
    ASSERT_TRUE(frame.Create(nullptr, "Main"));
    app.m_pMainWnd = &frame;
    frame.DestroyWindow();
    EXPECT_EQ(nullptr, frame.m_hWnd);
    EXPECT_TRUE(TakeQuit());
    app.m_pMainWnd = nullptr;
}
