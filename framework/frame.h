// The frame window: a top-level window of the framework's own class.
#pragma once
#include "framework/wnd.h"

class CFrameWnd : public CWnd {
public:
    CFrameWnd();

    // className none: the framework's default frame window class.
    BOOL Create(LPCSTR className, LPCSTR windowName, DWORD style = WS_OVERLAPPEDWINDOW,
                const RECT& rect = rectDefault, CWnd* parent = nullptr, LPCSTR menuName = nullptr,
                DWORD exStyle = 0);
    // May change the creation values; FALSE stops the creation.
    virtual BOOL PreCreateWindow(CREATESTRUCTA& cs);

    static const RECT rectDefault;  // the platform chooses position and size
    static const char kDefaultClassName[];

protected:
    // The main window going away ends the application.
    void PostNcDestroy() override;
};
