#include "pages/samenumberpage.h"

#include "pages/fieldtext.h"
#include "pages/policylock.h"
#include "resources/resource_ids.h"
#include "road/road.h"
#include "settings/faxsettings.h"

BEGIN_MESSAGE_MAP(SameNumberPage, WizardPage)
    ON_BN_CLICKED(IDC_SAME_DEDICATED, OnFirstButton)
    ON_BN_CLICKED(IDC_NEXT, OnNext)
    ON_WM_PAINT()
END_MESSAGE_MAP()

SameNumberPage::SameNumberPage(CWnd* parent) : WizardPage(IDD_SAME_NUMBER, IDB_ART_LINE, parent) {
    NextId = 0;
    BackId = 0;
    // Taken from the loaded value once; later showings keep the user's choice.
    LineIndex = FaxSettings.DedicatedLine == 0 ? 1 : 0;
}

void SameNumberPage::DoDataExchange(CDataExchange* dx) {
    WizardPage::DoDataExchange(dx);
    DDX_Radio(dx, IDC_SAME_DEDICATED, LineIndex);
}

BOOL SameNumberPage::OnInitDialog() {
    WizardPage::OnInitDialog();
    LockHeldValue(*this, PolicyDedicatedLine, {IDC_SAME_DEDICATED, IDC_SAME_SHARED});
    return StartOnFirstAnswer(*this);
}

void SameNumberPage::OnFirstButton() { UpdateData(TRUE); }

void SameNumberPage::OnNext() {
    UpdateData(TRUE);
    AnswerSameNumber(LineIndex == 0);
    // The answer as taken: a policy may hold the line.
    NextId = FaxSettings.DedicatedLine ? IDD_FAX_NUMBER : IDD_SHARED_NUMBER;
    GoNext();
}

void SameNumberPage::OnPaint() { DrawArtwork(); }
