// The application object: start-up, the message loop and exit. The framework
// supplies WinMain, which drives the one application object of the program.
#pragma once
#include <windows.h>

#include "framework/object.h"
#include "framework/wnd.h"

class CWinApp : public CObject {
public:
    explicit CWinApp(LPCSTR appName = nullptr);
    ~CWinApp() override;

    // TRUE enters the message loop; FALSE ends the program at once (after
    // ExitInstance).
    virtual BOOL InitInstance();
    // Runs after the loop, and after a refused start; returns the exit code.
    virtual int ExitInstance();
    // The message loop; returns ExitInstance's result.
    virtual int Run();

    // Nested: each Begin shows the wait cursor, the matching End puts back
    // what was there before the first.
    void BeginWaitCursor();
    void EndWaitCursor();
    // Kept for start-up: the platform already draws controls three-dimensional.
    BOOL Enable3dControls() { return TRUE; }

    HINSTANCE m_hInstance;
    LPSTR m_lpCmdLine;   // the command line after the program name
    int m_nCmdShow;
    CWnd* m_pMainWnd;
    LPCSTR m_pszAppName;

protected:
    int m_exitCode;  // what the quit message carried

private:
    int m_waitCount;
    HCURSOR m_restoreCursor;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
// The body of the framework's WinMain.
int AfxWinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);
