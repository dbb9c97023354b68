// The window object, its message maps and dialog data exchange.
#pragma once
#include <windows.h>

#include "framework/cstring.h"
#include "framework/object.h"
#include "framework/types.h"

class CWnd;
class CDataExchange;

// ---------------------------------------------------------------- message maps

// A map entry calls its handler through a small function that knows the
// handler's real signature; the macros below write those functions.
typedef LRESULT (*AfxHandler)(CWnd* wnd, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;  // window message
    UINT nCode;     // WM_COMMAND: notification code
    UINT nID;       // WM_COMMAND: first control id
    UINT nLastID;   // WM_COMMAND: last control id
    AfxHandler handler;  // none ends the entries
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                       \
protected:                                          \
    static const AFX_MSGMAP* GetThisMessageMap();   \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                        \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                 \
        using ThisClass [[maybe_unused]] = theClass;                                  \
        using TheBaseClass = baseClass;                                               \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {
#define END_MESSAGE_MAP()                                                                         \
    {0, 0, 0, 0, nullptr}};                                                                       \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
    return &messageMap;                                                                           \
    }

#define AFX_HANDLER(call) \
    [](CWnd* w_, WPARAM wParam_, LPARAM lParam_) -> LRESULT { call; }
#define AFX_THIS static_cast<ThisClass*>(w_)

// A click of a button, or another command of control id.
#define ON_COMMAND(id, fn) \
    {WM_COMMAND, 0, (UINT)(id), (UINT)(id), AFX_HANDLER(AFX_THIS->fn(); return 0)},
#define ON_BN_CLICKED(id, fn) ON_COMMAND(id, fn)
// Any notification code of control id, such as EN_CHANGE.
#define ON_CONTROL(code, id, fn) \
    {WM_COMMAND, (UINT)(code), (UINT)(id), (UINT)(id), AFX_HANDLER(AFX_THIS->fn(); return 0)},
// void OnPaint()
#define ON_WM_PAINT() {WM_PAINT, 0, 0, 0, AFX_HANDLER(AFX_THIS->OnPaint(); return 0)},
// void OnLButtonDown(UINT flags, CPoint point)
#define ON_WM_LBUTTONDOWN()                   \
    {WM_LBUTTONDOWN, 0, 0, 0,                 \
     AFX_HANDLER(AFX_THIS->OnLButtonDown((UINT)wParam_, CPoint(lParam_)); return 0)},
// void OnChar(UINT ch, UINT repeat, UINT flags)
#define ON_WM_CHAR()                                                                        \
    {WM_CHAR, 0, 0, 0,                                                                      \
     AFX_HANDLER(AFX_THIS->OnChar((UINT)wParam_, LOWORD(lParam_), HIWORD(lParam_)); return 0)},
// void OnPaletteChanged(CWnd* focusWnd)
#define ON_WM_PALETTECHANGED()                                                        \
    {WM_PALETTECHANGED, 0, 0, 0,                                                      \
     AFX_HANDLER(AFX_THIS->OnPaletteChanged(CWnd::FromHandle((HWND)wParam_)); return 0)},
// BOOL OnQueryNewPalette()
#define ON_WM_QUERYNEWPALETTE() \
    {WM_QUERYNEWPALETTE, 0, 0, 0, AFX_HANDLER(return AFX_THIS->OnQueryNewPalette())},
// LRESULT fn(WPARAM, LPARAM): a message of the program's own, or any other.
#define ON_MESSAGE(message, fn) \
    {(UINT)(message), 0, 0, 0, AFX_HANDLER(return AFX_THIS->fn(wParam_, lParam_))},

// ---------------------------------------------------------------- the window

class CWnd : public CObject {
public:
    CWnd();
    ~CWnd() override;

    HWND m_hWnd;
    operator HWND() const { return m_hWnd; }
    HWND GetSafeHwnd() const { return m_hWnd; }

    // The object for a window: the one attached to it, or a temporary wrapper
    // that lives until the application's message loop next falls idle.
    static CWnd* FromHandle(HWND hWnd);
    // Only the attached object, or none.
    static CWnd* FromHandlePermanent(HWND hWnd);
    static void DeleteTempMap();

    // Binds a window the object did not create; the object routes its messages
    // through its message map until the window goes or it is unsubclassed.
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    HWND UnsubclassWindow();

    BOOL CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                  int width, int height, HWND parent, HMENU menu, LPVOID param = nullptr);
    virtual BOOL DestroyWindow();

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

    void SetWindowText(LPCSTR text);
    int GetWindowText(LPSTR buffer, int size) const;
    void GetWindowText(CString& text) const;
    int GetWindowTextLength() const;

    CWnd* GetDlgItem(int id) const;
    void SetDlgItemText(int id, LPCSTR text);
    int GetDlgItemText(int id, CString& text) const;
    void CheckDlgButton(int id, UINT check);
    UINT IsDlgButtonChecked(int id) const;
    void CheckRadioButton(int firstId, int lastId, int checkId);
    CWnd* GetParent() const;

    void GetWindowRect(LPRECT rect) const;
    void GetClientRect(LPRECT rect) const;
    void ScreenToClient(LPPOINT point) const;
    void ScreenToClient(LPRECT rect) const;
    void ClientToScreen(LPPOINT point) const;
    void ClientToScreen(LPRECT rect) const;
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
    BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags);
    BOOL ShowWindow(int command);
    void UpdateWindow();
    void Invalidate(BOOL erase = TRUE);
    void InvalidateRect(LPCRECT rect, BOOL erase = TRUE);
    BOOL EnableWindow(BOOL enable = TRUE);
    BOOL IsWindowEnabled() const;
    BOOL IsWindowVisible() const;
    DWORD GetStyle() const;
    DWORD GetExStyle() const;

    CWnd* SetFocus();
    static CWnd* GetFocus();

    HDC GetDC();
    int ReleaseDC(HDC dc);
    HDC BeginPaint(LPPAINTSTRUCT paint);
    BOOL EndPaint(const PAINTSTRUCT* paint);

    // A message box owned by this window.
    int MessageBox(LPCSTR text, LPCSTR caption = nullptr, UINT type = MB_OK);

    // Runs the data exchange: TRUE takes the values from the controls, FALSE
    // puts them into the controls. FALSE when an exchange failed.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    // Insert-after values for SetWindowPos.
    static const CWnd wndTop;
    static const CWnd wndBottom;
    static const CWnd wndTopMost;
    static const CWnd wndNoTopMost;

    // Handlers whose default is the window's default processing; derived
    // classes bind their own through the message map.
    void OnPaint() { Default(); }
    void OnLButtonDown(UINT flags, CPoint point) { Default(); }
    void OnChar(UINT ch, UINT repeat, UINT flags) { Default(); }
    void OnPaletteChanged(CWnd* focusWnd) { Default(); }
    BOOL OnQueryNewPalette() { return (BOOL)Default(); }

protected:
    virtual void DoDataExchange(CDataExchange* dx) {}
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Called after the window is gone and the object detached.
    virtual void PostNcDestroy() {}
    // Called when the object has just been bound to a window it did not create.
    virtual void PreSubclassWindow() {}
    // Default processing of the message being handled.
    LRESULT Default();

    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;

    // Attaches to a window created by the platform on the object's behalf.
    BOOL Attach(HWND hWnd);
    HWND Detach();

    WNDPROC m_pfnSuper;  // window procedure replaced by subclassing
    bool m_attached;     // the window routes its messages to this object

private:
    explicit CWnd(HWND constant);  // the insert-after constants
    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
    friend class CDialog;
    LRESULT DispatchWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    static const AFX_MSGMAP_ENTRY* FindEntry(const AFX_MSGMAP* map, UINT message, UINT code,
                                             UINT id);
};

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

// ---------------------------------------------------------------- controls

class CEdit : public CWnd {
public:
    void LimitText(int count = 0) { SendMessage(EM_LIMITTEXT, (WPARAM)count); }
    void SetLimitText(UINT count) { SendMessage(EM_LIMITTEXT, (WPARAM)count); }
    UINT GetLimitText() const { return (UINT)SendMessage(EM_GETLIMITTEXT); }
    void SetSel(int start, int end) { SendMessage(EM_SETSEL, (WPARAM)start, (LPARAM)end); }
    void ReplaceSel(LPCSTR text, BOOL canUndo = FALSE) {
        SendMessage(EM_REPLACESEL, (WPARAM)canUndo, (LPARAM)text);
    }
};

// ---------------------------------------------------------------- data exchange

class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate)
        : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog), m_bFailed(FALSE) {}
    BOOL m_bSaveAndValidate;  // TRUE: from the controls into the object
    CWnd* m_pDlgWnd;
    BOOL m_bFailed;
    // The control's window, or none (and the exchange marked as failed).
    HWND PrepareCtrl(int id);
    void Fail() { m_bFailed = TRUE; }
};

// The index of the checked button of the radio group that starts at id and
// runs to the next control with WS_GROUP; -1 when none is checked.
void DDX_Radio(CDataExchange* dx, int id, int& value);
// Binds control id to its object, once for each window of the dialog.
void DDX_Control(CDataExchange* dx, int id, CWnd& control);
