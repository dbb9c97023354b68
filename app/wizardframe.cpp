#include "app/wizardframe.h"

#include "app/wizardapp.h"
#include "wizard/quitconfirm.h"

const char kMainWindowTitle[] = "KLCVWiz Main Window";

// Pop-up with caption and system menu, not visible.
static const DWORD kMainWindowStyle = 0x80C80000;

BEGIN_MESSAGE_MAP(WizardFrame, CFrameWnd)
    ON_MESSAGE(kStartWizardMessage, OnStartWizard)
    ON_MESSAGE(kShutdownRequestMessage, OnShutdownRequest)
END_MESSAGE_MAP()

WizardFrame::WizardFrame() {
    if (Create(nullptr, kMainWindowTitle, kMainWindowStyle, CRect(200, 200, 400, 400)))
        SetWindowPos(&wndTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

LRESULT WizardFrame::OnStartWizard(WPARAM, LPARAM) {
    // The run is entered once. Any program can post the start message to this
    // window; one that arrives while the pages are open (their modal loops
    // dispatch it here) or after the run must not start a second run over the
    // first: that would load the settings again over what was typed.
    if (started_) return 0;
    started_ = true;
    int exitCode = 0;
    if (WizardApp* app = dynamic_cast<WizardApp*>(AfxGetApp())) exitCode = app->RunWizard();
    PostQuitMessage(exitCode);
    return 0;
}

LRESULT WizardFrame::OnShutdownRequest(WPARAM, LPARAM second) {
    if (second != 1) return 0;
    QuitConfirmDialog confirm(nullptr);
    if (confirm.DoModal() == IDOK) PostQuitMessage(0);
    return 0;
}
