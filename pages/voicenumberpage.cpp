#include "pages/voicenumberpage.h"

#include "pages/fieldtext.h"
#include "pages/policylock.h"
#include "resources/resource_ids.h"
#include "road/road.h"
#include "settings/faxsettings.h"

namespace {
}

BEGIN_MESSAGE_MAP(VoiceNumberPage, WizardPage)
    ON_BN_CLICKED(IDC_BACK, OnBack)
    ON_BN_CLICKED(IDC_NEXT, OnNext)
    ON_WM_PAINT()
END_MESSAGE_MAP()

VoiceNumberPage::VoiceNumberPage(CWnd* parent)
    : WizardPage(IDD_VOICE_NUMBER, IDB_ART_VOICE, parent) {
    NextId = IDD_MODEM;
    BackId = IDD_FAX_NUMBER;
}

void VoiceNumberPage::DoDataExchange(CDataExchange* dx) {
    WizardPage::DoDataExchange(dx);
    DDX_Control(dx, IDC_VOICE_NUMBER, NumberField);
}

BOOL VoiceNumberPage::OnInitDialog() {
    WizardPage::OnInitDialog();
    NumberField.SetWindowText(FaxSettings.VoiceNumber);
    NumberField.LimitText(RoadNumberLimit);
    LockHeldValue(*this, PolicyVoiceNumber, {IDC_VOICE_NUMBER});
    NextId = IDD_MODEM;
    BackId = IDD_FAX_NUMBER;
    return StartOnFirstAnswer(*this);
}

void VoiceNumberPage::OnNext() {
    UpdateData(TRUE);
    AnswerVoiceNumber(TypedText(NumberField));
    // One number for fax and voice suggests a shared line: ask again.
    NextId = FaxSettings.SameFaxAndVoiceNumber() ? IDD_SAME_NUMBER : IDD_MODEM;
    GoNext();
}

void VoiceNumberPage::OnBack() {
    UpdateData(TRUE);
    AnswerVoiceNumber(TypedText(NumberField));
    GoBack();
}

void VoiceNumberPage::OnPaint() { DrawArtwork(); }
