#include "framework/dialog.h"

#include "framework/app.h"
#include "framework/resource.h"

CDialog::CDialog(UINT templateId, CWnd* parent)
    : m_nIDTemplate(templateId), m_pParentWnd(parent), m_modalEnded(false), m_modalResult(-1) {}

CDialog::~CDialog() {
    if (m_hWnd) DestroyWindow();
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // Everything but the first message reaches the object through its
    // subclass; the dialog manager then gets FALSE and does its default.
    if (message != WM_INITDIALOG) return FALSE;
    CDialog* dialog = reinterpret_cast<CDialog*>(lParam);
    if (!dialog || dialog->m_hWnd || !dialog->SubclassWindow(hWnd)) return FALSE;
    SetPropA(hWnd, WIZ_TEMPLATE_ID_PROP, (HANDLE)(UINT_PTR)dialog->m_nIDTemplate);
    return dialog->OnInitDialog();
}

HWND CDialog::GetSafeOwner() const {
    HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    if (!owner) {
        // Without a parent the dialog belongs to the application's main window,
        // or rather to whichever of its pop-ups the user last worked in.
        CWnd* main = AfxGetMainWnd();
        if (main && main->m_hWnd)
            owner = GetLastActivePopup(main->m_hWnd);
        else
            owner = GetActiveWindow();
    }
    while (owner && (GetWindowLongA(owner, GWL_STYLE) & WS_CHILD)) owner = ::GetParent(owner);
    return owner;
}

INT_PTR CDialog::DoModal() {
    if (m_hWnd) return -1;  // already showing
    HINSTANCE instance = AfxGetResourceHandle();
    HRSRC resource = FindResourceA(instance, MAKEINTRESOURCEA(m_nIDTemplate), (LPCSTR)RT_DIALOG);
    HGLOBAL loaded = resource ? LoadResource(instance, resource) : nullptr;
    LPCDLGTEMPLATEA dialogTemplate = loaded ? (LPCDLGTEMPLATEA)LockResource(loaded) : nullptr;
    if (!dialogTemplate) return -1;

    HWND owner = GetSafeOwner();
    bool ownerDisabled = false;
    if (owner && ::IsWindowEnabled(owner)) {
        ::EnableWindow(owner, FALSE);
        ownerDisabled = true;
    }

    m_modalEnded = false;
    m_modalResult = -1;
    HWND created =
        CreateDialogIndirectParamA(instance, dialogTemplate, owner, DialogProc, (LPARAM)this);
    if (created && m_hWnd == created) {
        if (!m_modalEnded && !IsWindowVisible()) ShowWindow(SW_SHOWNORMAL);
        RunModalLoop();
    } else {
        if (created) ::DestroyWindow(created);
        m_modalResult = -1;
    }

    if (m_hWnd)
        SetWindowPos(nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    if (ownerDisabled) ::EnableWindow(owner, TRUE);
    if (owner && m_hWnd && ::GetActiveWindow() == m_hWnd) ::SetActiveWindow(owner);
    if (m_hWnd) DestroyWindow();
    return m_modalResult;
}

void CDialog::RunModalLoop() {
    while (!m_modalEnded && m_hWnd) {
        MSG msg;
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            // A quit ends this dialog and every loop further out.
            PostQuitMessage((int)msg.wParam);
            m_modalResult = -1;
            return;
        }
        if (got == -1) {
            m_modalResult = -1;
            return;
        }
        if (!m_hWnd || !IsDialogMessageA(m_hWnd, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    // A window destroyed by someone else ends the dialog as not created.
    if (!m_modalEnded) m_modalResult = -1;
}

void CDialog::EndDialog(int result) {
    m_modalResult = result;
    m_modalEnded = true;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::GotoDlgCtrl(CWnd* control) {
    if (m_hWnd && control && control->m_hWnd)
        SendMessage(WM_NEXTDLGCTL, (WPARAM)control->m_hWnd, TRUE);
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (CWnd::OnCommand(wParam, lParam)) return TRUE;
    if (HIWORD(wParam) != BN_CLICKED) return FALSE;
    switch (LOWORD(wParam)) {
    case IDOK:
        OnOK();
        return TRUE;
    case IDCANCEL:
        OnCancel();
        return TRUE;
    }
    return FALSE;
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCDESTROY) RemovePropA(m_hWnd, WIZ_TEMPLATE_ID_PROP);
    return CWnd::WindowProc(message, wParam, lParam);
}
