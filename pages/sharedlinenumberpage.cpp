#include "pages/sharedlinenumberpage.h"

#include "pages/fieldtext.h"
#include "pages/policylock.h"
#include "resources/resource_ids.h"
#include "road/road.h"
#include "settings/faxsettings.h"

namespace {
}

BEGIN_MESSAGE_MAP(SharedLineNumberPage, WizardPage)
    ON_BN_CLICKED(IDC_BACK, OnBack)
    ON_BN_CLICKED(IDC_NEXT, OnNext)
    ON_WM_PAINT()
END_MESSAGE_MAP()

SharedLineNumberPage::SharedLineNumberPage(CWnd* parent)
    : WizardPage(IDD_SHARED_NUMBER, IDB_ART_FAX_NUMBER, parent) {
    NextId = IDD_ANSWERING_MACHINE;
    BackId = IDD_DEDICATED_LINE;
}

void SharedLineNumberPage::DoDataExchange(CDataExchange* dx) {
    WizardPage::DoDataExchange(dx);
    DDX_Control(dx, IDC_SHARED_NUMBER, NumberField);
}

BOOL SharedLineNumberPage::OnInitDialog() {
    WizardPage::OnInitDialog();
    NumberField.SetWindowText(FaxSettings.FaxNumber);
    NumberField.LimitText(RoadNumberLimit);
    // The shared line's one number is the fax number.
    LockHeldValue(*this, PolicyFaxNumber, {IDC_SHARED_NUMBER});
    return StartOnFirstAnswer(*this);
}

void SharedLineNumberPage::OnNext() {
    UpdateData(TRUE);
    if (AnswerSharedLineNumber(TypedText(NumberField), RoadNext) != RoadAccepted) {
        RefuseField(*this, IDS_SHARED_EMPTY, IDS_SHARED_TITLE, NumberField);
        return;
    }
    GoNext();
}

void SharedLineNumberPage::OnBack() {
    UpdateData(TRUE);
    AnswerSharedLineNumber(TypedText(NumberField), RoadBack);
    GoBack();
}

void SharedLineNumberPage::OnPaint() { DrawArtwork(); }
