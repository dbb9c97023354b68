// The dialog window: modal run from a template of the resource handle.
#pragma once
#include "framework/wnd.h"

// Window property holding a dialog's template id, so that tests and tools can
// tell the dialogs of the program apart.
#define WIZ_TEMPLATE_ID_PROP "WizTemplateId"

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    // Shows the dialog from the template in the current resource handle and
    // dispatches every message of the thread until it ends. Returns the end
    // code; -1 when the dialog cannot be created, or when a quit message ends
    // it (the quit message is then posted again for the loops further out).
    virtual INT_PTR DoModal();
    void EndDialog(int result);
    UINT GetTemplateId() const { return m_nIDTemplate; }

    // Runs the data exchange into the controls; TRUE lets the dialog manager
    // give the focus to the first control.
    virtual BOOL OnInitDialog();
    void GotoDlgCtrl(CWnd* control);

protected:
    // Enter that reaches IDOK: take the data and end with IDOK.
    virtual void OnOK();
    // Cancel button, Escape and the close box: end with IDCANCEL.
    virtual void OnCancel();
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND GetSafeOwner() const;
    void RunModalLoop();

    bool m_modalEnded;
    INT_PTR m_modalResult;
};
