#include "pages/finishpage.h"

#include "common/util.h"
#include "pages/fieldtext.h"
#include "resources/resource_ids.h"
#include "road/setupmarks.h"
#include "settings/faxsettings.h"

BEGIN_MESSAGE_MAP(FinishPage, WizardPage)
    ON_BN_CLICKED(kBackButton, OnBack)
    ON_BN_CLICKED(kNextButton, OnFinish)
    ON_WM_PAINT()
END_MESSAGE_MAP()

FinishPage::FinishPage(CWnd* parent) : WizardPage(IDD_FINISH, IDB_ART_WELCOME, parent) {
    NextId = 0;  // the end of the wizard
    BackId = IDD_SUMMARY;
}

BOOL FinishPage::OnInitDialog() {
    WizardPage::OnInitDialog();
    return StartOnNext(*this);
}

void FinishPage::OnCancel() { WizardPage::OnCancel(); }

void FinishPage::OnBack() {
    UpdateData(TRUE);
    GoBack();
}

void FinishPage::OnPaint() { DrawArtwork(); }

void FinishPage::OnFinish() {
    UpdateData(TRUE);
    GoNext();  // the page closes once this handler returns
    ClearRunSetupWizard();

    CString commandLine;
    commandLine.Format("%s %s\\summary.txt", "notepad.exe", FaxSettings.DataDir.GetString());
    char windowsDir[MAX_PATH] = "";
    GetWindowsDirectoryA(windowsDir, sizeof windowsDir);
    // Out of the topmost band before the editor opens, so the summary shows
    // in front of the page rather than behind it, and so does registration.
    SetWindowPos(&wndNoTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    // Waits for the editor, at most 30 s; a failed start is not reported.
    StartProgram(nullptr, commandLine, windowsDir[0] ? windowsDir : nullptr, 1);

    LaunchPendingRegistration();
}
