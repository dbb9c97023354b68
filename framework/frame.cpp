#include "framework/frame.h"

#include "framework/app.h"
#include "framework/resource.h"

const RECT CFrameWnd::rectDefault = {CW_USEDEFAULT, CW_USEDEFAULT, 0, 0};
const char CFrameWnd::kDefaultClassName[] = "WizFrameWnd";

static BOOL RegisterDefaultFrameClass() {
    WNDCLASSA existing;
    if (GetClassInfoA(AfxGetInstanceHandle(), CFrameWnd::kDefaultClassName, &existing)) return TRUE;
    WNDCLASSA wc = {};
    wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = AfxWndProc;
    wc.hInstance = AfxGetInstanceHandle();
    wc.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = CFrameWnd::kDefaultClassName;
    return RegisterClassA(&wc) != 0;
}

CFrameWnd::CFrameWnd() {}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCTA& cs) {
    if (!cs.lpszClass) {
        if (!RegisterDefaultFrameClass()) return FALSE;
        cs.lpszClass = kDefaultClassName;
    }
    return TRUE;
}

BOOL CFrameWnd::Create(LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect,
                       CWnd* parent, LPCSTR menuName, DWORD exStyle) {
    HMENU menu = nullptr;
    if (menuName) {
        menu = LoadMenuA(AfxGetResourceHandle(), menuName);
        if (!menu) return FALSE;
    }
    CREATESTRUCTA cs = {};
    cs.dwExStyle = exStyle;
    cs.lpszClass = className;
    cs.lpszName = windowName;
    cs.style = style;
    cs.x = rect.left;
    cs.y = rect.top;
    // The default rectangle leaves the size to the platform as well.
    cs.cx = rect.left == CW_USEDEFAULT ? CW_USEDEFAULT : rect.right - rect.left;
    cs.cy = rect.left == CW_USEDEFAULT ? CW_USEDEFAULT : rect.bottom - rect.top;
    cs.hwndParent = parent ? parent->m_hWnd : nullptr;
    cs.hMenu = menu;
    cs.hInstance = AfxGetInstanceHandle();
    if (!PreCreateWindow(cs)) {
        if (menu) DestroyMenu(menu);
        return FALSE;
    }
    if (!CreateEx(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y, cs.cx, cs.cy,
                  cs.hwndParent, cs.hMenu, cs.lpCreateParams)) {
        if (menu) DestroyMenu(menu);
        return FALSE;
    }
    return TRUE;
}

void CFrameWnd::PostNcDestroy() {
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this) PostQuitMessage(0);
}
