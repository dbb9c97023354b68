#include "framework/app.h"

#include "framework/resource.h"

static CWinApp* g_app = nullptr;

CWinApp* AfxGetApp() { return g_app; }

CWnd* AfxGetMainWnd() { return g_app ? g_app->m_pMainWnd : nullptr; }

CWinApp::CWinApp(LPCSTR appName)
    : m_hInstance(nullptr),
      m_lpCmdLine(nullptr),
      m_nCmdShow(SW_SHOWNORMAL),
      m_pMainWnd(nullptr),
      m_pszAppName(appName),
      m_exitCode(0),
      m_waitCount(0),
      m_restoreCursor(nullptr) {
    if (!g_app) g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return m_exitCode; }

int CWinApp::Run() {
    for (;;) {
        MSG msg;
        // Idle: wrappers of windows without objects are no longer needed.
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) CWnd::DeleteTempMap();
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            m_exitCode = (int)msg.wParam;
            break;
        }
        if (got == -1) {
            m_exitCode = -1;
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return ExitInstance();
}

void CWinApp::BeginWaitCursor() {
    HCURSOR previous = SetCursor(LoadCursorA(nullptr, (LPCSTR)IDC_WAIT));
    if (m_waitCount++ == 0) m_restoreCursor = previous;
}

void CWinApp::EndWaitCursor() {
    if (m_waitCount <= 0) return;
    if (--m_waitCount == 0) SetCursor(m_restoreCursor ? m_restoreCursor
                                                      : LoadCursorA(nullptr, (LPCSTR)IDC_ARROW));
}

int AfxWinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    CWinApp* app = AfxGetApp();
    if (!app) return -1;
    app->m_hInstance = instance;
    app->m_lpCmdLine = commandLine;
    app->m_nCmdShow = show;
    if (!app->InitInstance()) return app->ExitInstance();
    return app->Run();
}

// Defined beside the application object, so that every program that has one
// links the framework's entry point with it.
extern "C" int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine,
                              int show) {
    return AfxWinMain(instance, previous, commandLine, show);
}
