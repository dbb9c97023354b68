#include "framework/wnd.h"

#include <map>
#include <unordered_map>

#include "framework/resource.h"

namespace {

// Which object each window of the process routes its messages to. Kept in
// the process rather than as a window property: every message looks its
// window up here, and under Wine each property read is a round trip to the
// window server.
struct PermanentMap {
    PermanentMap() { InitializeCriticalSection(&lock); }
    CRITICAL_SECTION lock;
    std::unordered_map<HWND, CWnd*> objects;
};

PermanentMap& Permanent() {
    static PermanentMap map;
    return map;
}

CWnd* LookUp(HWND hWnd) {
    PermanentMap& map = Permanent();
    EnterCriticalSection(&map.lock);
    auto found = map.objects.find(hWnd);
    CWnd* wnd = found == map.objects.end() ? nullptr : found->second;
    LeaveCriticalSection(&map.lock);
    return wnd;
}

// Ties hWnd to wnd unless it is tied already; false when it was.
bool Tie(HWND hWnd, CWnd* wnd) {
    PermanentMap& map = Permanent();
    EnterCriticalSection(&map.lock);
    bool tied = map.objects.emplace(hWnd, wnd).second;
    LeaveCriticalSection(&map.lock);
    return tied;
}

// Unties hWnd, only from the object it is tied to.
void Untie(HWND hWnd, CWnd* wnd) {
    PermanentMap& map = Permanent();
    EnterCriticalSection(&map.lock);
    auto found = map.objects.find(hWnd);
    if (found != map.objects.end() && found->second == wnd) map.objects.erase(found);
    LeaveCriticalSection(&map.lock);
}

struct CurrentMessage {
    HWND hWnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// The message being handled, for Default().
thread_local CurrentMessage t_current = {nullptr, 0, 0, 0};
// The object whose window CreateEx is creating; it takes the first message.
thread_local CWnd* t_wndInit = nullptr;
// Wrappers handed out for windows that have no object of their own.
thread_local std::map<HWND, CWnd*>* t_tempMap = nullptr;

}  // namespace

const CWnd CWnd::wndTop(HWND_TOP);
const CWnd CWnd::wndBottom(HWND_BOTTOM);
const CWnd CWnd::wndTopMost(HWND_TOPMOST);
const CWnd CWnd::wndNoTopMost(HWND_NOTOPMOST);

CWnd::CWnd() : m_hWnd(nullptr), m_pfnSuper(nullptr), m_attached(false) {}

CWnd::CWnd(HWND constant) : m_hWnd(constant), m_pfnSuper(nullptr), m_attached(false) {}

CWnd::~CWnd() {
    if (m_hWnd && m_attached) {
        if (m_pfnSuper)
            UnsubclassWindow();  // a window we only borrowed stays
        else
            ::DestroyWindow(m_hWnd);
    }
    // A window that could not be destroyed must not route to a dead object.
    if (m_hWnd && m_attached) Detach();
}

// ---------------------------------------------------------------- handle map

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
    if (!hWnd) return nullptr;
    return LookUp(hWnd);
}

CWnd* CWnd::FromHandle(HWND hWnd) {
    if (!hWnd) return nullptr;
    if (CWnd* wnd = FromHandlePermanent(hWnd)) return wnd;
    if (!t_tempMap) t_tempMap = new std::map<HWND, CWnd*>;
    CWnd*& temp = (*t_tempMap)[hWnd];
    if (!temp) {
        temp = new CWnd;
        temp->m_hWnd = hWnd;
    }
    return temp;
}

void CWnd::DeleteTempMap() {
    if (!t_tempMap) return;
    for (auto& entry : *t_tempMap) {
        entry.second->m_hWnd = nullptr;
        delete entry.second;
    }
    delete t_tempMap;
    t_tempMap = nullptr;
}

BOOL CWnd::Attach(HWND hWnd) {
    if (!hWnd || m_hWnd || !IsWindow(hWnd) || !Tie(hWnd, this)) return FALSE;
    m_hWnd = hWnd;
    m_attached = true;
    return TRUE;
}

HWND CWnd::Detach() {
    HWND hWnd = m_hWnd;
    if (hWnd && m_attached) Untie(hWnd, this);
    m_hWnd = nullptr;
    m_attached = false;
    m_pfnSuper = nullptr;
    return hWnd;
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
    if (!IsWindow(hWnd) || !Attach(hWnd)) return FALSE;
    WNDPROC old = (WNDPROC)SetWindowLongPtrA(hWnd, GWLP_WNDPROC, (LONG_PTR)AfxWndProc);
    if (!old) {
        Detach();
        return FALSE;
    }
    m_pfnSuper = old == AfxWndProc ? nullptr : old;
    PreSubclassWindow();
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
    if (!parent || !parent->m_hWnd) return FALSE;
    HWND item = ::GetDlgItem(parent->m_hWnd, (int)id);
    return item ? SubclassWindow(item) : FALSE;
}

HWND CWnd::UnsubclassWindow() {
    if (!m_hWnd || !m_attached) return nullptr;
    if (m_pfnSuper) SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, (LONG_PTR)m_pfnSuper);
    return Detach();
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                    int y, int width, int height, HWND parent, HMENU menu, LPVOID param) {
    if (m_hWnd) return FALSE;
    CWnd* outer = t_wndInit;
    t_wndInit = this;
    HWND hWnd = CreateWindowExA(exStyle, className, windowName, style, x, y, width, height,
                                parent, menu, AfxGetInstanceHandle(), param);
    t_wndInit = outer;
    // A class with a procedure of its own is subclassed once it exists.
    if (hWnd && !m_hWnd) SubclassWindow(hWnd);
    return hWnd != nullptr && m_hWnd == hWnd;
}

BOOL CWnd::DestroyWindow() {
    if (!m_hWnd) return FALSE;
    HWND hWnd = m_hWnd;
    bool attached = m_attached;
    BOOL done = ::DestroyWindow(hWnd);
    if (!attached) m_hWnd = nullptr;  // attached objects are detached on WM_NCDESTROY
    return done;
}

// ---------------------------------------------------------------- dispatch

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = CWnd::FromHandlePermanent(hWnd);
    if (!wnd && t_wndInit) {
        wnd = t_wndInit;
        t_wndInit = nullptr;
        if (!wnd->Attach(hWnd)) wnd = nullptr;
    }
    if (!wnd) return DefWindowProcA(hWnd, message, wParam, lParam);
    return wnd->DispatchWindowProc(message, wParam, lParam);
}

LRESULT CWnd::DispatchWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    CurrentMessage saved = t_current;
    t_current = {m_hWnd, message, wParam, lParam};
    LRESULT result = WindowProc(message, wParam, lParam);
    t_current = saved;
    if (message == WM_NCDESTROY) {
        // The window is gone: the object lets go of it and may delete itself.
        Detach();
        PostNcDestroy();
    }
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper) return CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
    if (!m_hWnd || t_current.hWnd != m_hWnd) return 0;
    return DefWindowProc(t_current.message, t_current.wParam, t_current.lParam);
}

const AFX_MSGMAP* CWnd::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {nullptr, entries};
    return &map;
}

const AFX_MSGMAP* CWnd::GetMessageMap() const { return GetThisMessageMap(); }

const AFX_MSGMAP_ENTRY* CWnd::FindEntry(const AFX_MSGMAP* map, UINT message, UINT code,
                                        UINT id) {
    for (; map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->handler; ++e) {
            if (e->nMessage != message) continue;
            if (message == WM_COMMAND && (e->nCode != code || id < e->nID || id > e->nLastID))
                continue;
            return e;
        }
    }
    return nullptr;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    const AFX_MSGMAP_ENTRY* e =
        FindEntry(GetMessageMap(), WM_COMMAND, HIWORD(wParam), LOWORD(wParam));
    if (!e) return FALSE;
    e->handler(this, wParam, lParam);
    return TRUE;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    *result = 0;
    if (message == WM_COMMAND) return OnCommand(wParam, lParam);
    const AFX_MSGMAP_ENTRY* e = FindEntry(GetMessageMap(), message, 0, 0);
    if (!e) return FALSE;
    *result = e->handler(this, wParam, lParam);
    return TRUE;
}

// ---------------------------------------------------------------- thin wrappers

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::PostMessageA(m_hWnd, message, wParam, lParam);
}

void CWnd::SetWindowText(LPCSTR text) { ::SetWindowTextA(m_hWnd, text); }

int CWnd::GetWindowText(LPSTR buffer, int size) const {
    return ::GetWindowTextA(m_hWnd, buffer, size);
}

void CWnd::GetWindowText(CString& text) const {
    int length = ::GetWindowTextLengthA(m_hWnd);
    if (length <= 0) {
        text.Empty();
        return;
    }
    // The reported length may exceed the text (double-byte texts); the
    // release takes what was read.
    int read = ::GetWindowTextA(m_hWnd, text.GetBuffer(length), length + 1);
    text.ReleaseBuffer(read < 0 ? 0 : read);
}

int CWnd::GetWindowTextLength() const { return ::GetWindowTextLengthA(m_hWnd); }

CWnd* CWnd::GetDlgItem(int id) const { return FromHandle(::GetDlgItem(m_hWnd, id)); }

void CWnd::SetDlgItemText(int id, LPCSTR text) { ::SetDlgItemTextA(m_hWnd, id, text); }

int CWnd::GetDlgItemText(int id, CString& text) const {
    HWND item = ::GetDlgItem(m_hWnd, id);
    if (!item) {
        text.Empty();
        return 0;
    }
    FromHandle(item)->GetWindowText(text);
    return text.GetLength();
}

void CWnd::CheckDlgButton(int id, UINT check) { ::CheckDlgButton(m_hWnd, id, check); }

UINT CWnd::IsDlgButtonChecked(int id) const { return ::IsDlgButtonChecked(m_hWnd, id); }

void CWnd::CheckRadioButton(int firstId, int lastId, int checkId) {
    ::CheckRadioButton(m_hWnd, firstId, lastId, checkId);
}

CWnd* CWnd::GetParent() const { return FromHandle(::GetParent(m_hWnd)); }

void CWnd::GetWindowRect(LPRECT rect) const { ::GetWindowRect(m_hWnd, rect); }

void CWnd::GetClientRect(LPRECT rect) const { ::GetClientRect(m_hWnd, rect); }

void CWnd::ScreenToClient(LPPOINT point) const { ::ScreenToClient(m_hWnd, point); }

void CWnd::ScreenToClient(LPRECT rect) const {
    ::ScreenToClient(m_hWnd, (LPPOINT)&rect->left);
    ::ScreenToClient(m_hWnd, (LPPOINT)&rect->right);
}

void CWnd::ClientToScreen(LPPOINT point) const { ::ClientToScreen(m_hWnd, point); }

void CWnd::ClientToScreen(LPRECT rect) const {
    ::ClientToScreen(m_hWnd, (LPPOINT)&rect->left);
    ::ClientToScreen(m_hWnd, (LPPOINT)&rect->right);
}

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint) {
    ::MoveWindow(m_hWnd, x, y, width, height, repaint);
}

BOOL CWnd::SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags) {
    return ::SetWindowPos(m_hWnd, insertAfter ? insertAfter->m_hWnd : nullptr, x, y, cx, cy,
                          flags);
}

BOOL CWnd::ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }

void CWnd::UpdateWindow() { ::UpdateWindow(m_hWnd); }

void CWnd::Invalidate(BOOL erase) { ::InvalidateRect(m_hWnd, nullptr, erase); }

void CWnd::InvalidateRect(LPCRECT rect, BOOL erase) { ::InvalidateRect(m_hWnd, rect, erase); }

BOOL CWnd::EnableWindow(BOOL enable) { return ::EnableWindow(m_hWnd, enable); }

BOOL CWnd::IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }

BOOL CWnd::IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }

DWORD CWnd::GetStyle() const { return (DWORD)GetWindowLongA(m_hWnd, GWL_STYLE); }

DWORD CWnd::GetExStyle() const { return (DWORD)GetWindowLongA(m_hWnd, GWL_EXSTYLE); }

CWnd* CWnd::SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }

CWnd* CWnd::GetFocus() { return FromHandle(::GetFocus()); }

HDC CWnd::GetDC() { return ::GetDC(m_hWnd); }

int CWnd::ReleaseDC(HDC dc) { return ::ReleaseDC(m_hWnd, dc); }

HDC CWnd::BeginPaint(LPPAINTSTRUCT paint) { return ::BeginPaint(m_hWnd, paint); }

BOOL CWnd::EndPaint(const PAINTSTRUCT* paint) { return ::EndPaint(m_hWnd, paint); }

int CWnd::MessageBox(LPCSTR text, LPCSTR caption, UINT type) {
    return ::MessageBoxA(m_hWnd, text, caption, type);
}

BOOL CWnd::UpdateData(BOOL saveAndValidate) {
    if (!m_hWnd) return FALSE;
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return !dx.m_bFailed;
}

// ---------------------------------------------------------------- data exchange

HWND CDataExchange::PrepareCtrl(int id) {
    HWND control = m_pDlgWnd ? ::GetDlgItem(m_pDlgWnd->m_hWnd, id) : nullptr;
    if (!control) Fail();
    return control;
}

void DDX_Radio(CDataExchange* dx, int id, int& value) {
    HWND control = dx->PrepareCtrl(id);
    if (!control) return;
    if (dx->m_bSaveAndValidate) value = -1;
    int index = 0;
    do {
        if (SendMessageA(control, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) {
            if (dx->m_bSaveAndValidate) {
                if (value == -1 && SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED)
                    value = index;
            } else {
                SendMessageA(control, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED,
                             0);
            }
            ++index;
        }
        control = GetWindow(control, GW_HWNDNEXT);
    } while (control && !(GetWindowLongA(control, GWL_STYLE) & WS_GROUP));
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    if (control.m_hWnd) return;  // already bound to this window of the dialog
    HWND item = dx->PrepareCtrl(id);
    if (item && !control.SubclassWindow(item)) dx->Fail();
}
