#include "pages/dedicatedlinepage.h"

#include "pages/fieldtext.h"
#include "pages/policylock.h"
#include "resources/resource_ids.h"
#include "road/road.h"
#include "settings/faxsettings.h"

BEGIN_MESSAGE_MAP(DedicatedLinePage, WizardPage)
    ON_BN_CLICKED(IDC_LINE_DEDICATED, OnFirstButton)
    ON_BN_CLICKED(IDC_BACK, OnBack)
    ON_BN_CLICKED(IDC_NEXT, OnNext)
    ON_WM_PAINT()
END_MESSAGE_MAP()

DedicatedLinePage::DedicatedLinePage(CWnd* parent)
    : WizardPage(IDD_DEDICATED_LINE, IDB_ART_LINE, parent) {
    NextId = 0;
    // Page 2821 lies on the road only when the loaded settings say so.
    BackId = FaxSettings.DeviceOptionSupported ? IDD_DEVICE_OPTION : IDD_NAME_COMPANY;
    LineIndex = FaxSettings.DedicatedLine == 0 ? 1 : 0;
}

void DedicatedLinePage::DoDataExchange(CDataExchange* dx) {
    WizardPage::DoDataExchange(dx);
    DDX_Radio(dx, IDC_LINE_DEDICATED, LineIndex);
}

BOOL DedicatedLinePage::OnInitDialog() {
    WizardPage::OnInitDialog();
    // Page 2818 may have changed the answer since this page was last left.
    LineIndex = FaxSettings.DedicatedLine == 0 ? 1 : 0;
    UpdateData(FALSE);
    LockHeldValue(*this, PolicyDedicatedLine, {IDC_LINE_DEDICATED, IDC_LINE_SHARED});
    return StartOnFirstAnswer(*this);
}

void DedicatedLinePage::OnFirstButton() { UpdateData(TRUE); }

void DedicatedLinePage::StoreAnswer() {
    UpdateData(TRUE);
    AnswerDedicatedLine(LineIndex == 0);
}

void DedicatedLinePage::OnBack() {
    StoreAnswer();
    GoBack();
}

void DedicatedLinePage::OnNext() {
    StoreAnswer();
    NextId = FaxSettings.DedicatedLine ? IDD_FAX_NUMBER : IDD_SHARED_NUMBER;
    GoNext();
}

void DedicatedLinePage::OnPaint() { DrawArtwork(); }
