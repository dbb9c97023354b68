#include "pages/faxnumberpage.h"

#include "pages/fieldtext.h"
#include "pages/policylock.h"
#include "resources/resource_ids.h"
#include "road/road.h"
#include "settings/faxsettings.h"

namespace {
}

BEGIN_MESSAGE_MAP(FaxNumberPage, WizardPage)
    ON_BN_CLICKED(IDC_BACK, OnBack)
    ON_BN_CLICKED(IDC_NEXT, OnNext)
    ON_WM_PAINT()
END_MESSAGE_MAP()

FaxNumberPage::FaxNumberPage(CWnd* parent)
    : WizardPage(IDD_FAX_NUMBER, IDB_ART_FAX_NUMBER, parent) {
    NextId = IDD_VOICE_NUMBER;
    BackId = 0;
}

void FaxNumberPage::DoDataExchange(CDataExchange* dx) {
    WizardPage::DoDataExchange(dx);
    DDX_Control(dx, IDC_FAX_NUMBER, NumberField);
}

BOOL FaxNumberPage::OnInitDialog() {
    WizardPage::OnInitDialog();
    NumberField.SetWindowText(FaxSettings.FaxNumber);
    NumberField.LimitText(RoadNumberLimit);
    LockHeldValue(*this, PolicyFaxNumber, {IDC_FAX_NUMBER});
    NextId = IDD_VOICE_NUMBER;
    BackId = 0;
    return StartOnFirstAnswer(*this);
}

void FaxNumberPage::OnNext() {
    UpdateData(TRUE);
    if (AnswerFaxNumber(TypedText(NumberField), RoadNext) != RoadAccepted) {
        RefuseField(*this, IDS_FAX_NUMBER_EMPTY, IDS_FAX_NUMBER_TITLE, NumberField);
        return;
    }
    GoNext();
}

void FaxNumberPage::OnBack() {
    UpdateData(TRUE);
    AnswerFaxNumber(TypedText(NumberField), RoadBack);
    // Both numbers alike: back to the question that decides which is wrong.
    BackId = FaxSettings.SameFaxAndVoiceNumber() ? IDD_SAME_NUMBER : IDD_DEDICATED_LINE;
    GoBack();
}

void FaxNumberPage::OnPaint() { DrawArtwork(); }
