#include "pages/modempage.h"

#include "pages/fieldtext.h"
#include "pages/policylock.h"
#include "resources/resource_ids.h"
#include "road/road.h"
#include "settings/faxsettings.h"

BEGIN_MESSAGE_MAP(ModemPage, WizardPage)
    ON_BN_CLICKED(kBackButton, OnBack)
    ON_BN_CLICKED(kNextButton, OnNext)
    ON_WM_PAINT()
END_MESSAGE_MAP()

ModemPage::ModemPage(CWnd* parent) : WizardPage(IDD_MODEM, IDB_ART_MODEM, parent) {
    NextId = IDD_SUMMARY;
    BackId = IDD_VOICE_NUMBER;  // settled on each Back
    ModemIndex = FaxSettings.Modem ? 0 : 1;
}

void ModemPage::DoDataExchange(CDataExchange* dx) {
    WizardPage::DoDataExchange(dx);
    DDX_Radio(dx, IDC_MODEM_YES, ModemIndex);
}

BOOL ModemPage::OnInitDialog() {
    WizardPage::OnInitDialog();
    LockHeldValue(*this, PolicyModem, {IDC_MODEM_YES, IDC_MODEM_NO});
    return StartOnFirstAnswer(*this);
}

void ModemPage::OnCancel() { WizardPage::OnCancel(); }

void ModemPage::OnBack() {
    UpdateData(TRUE);
    // A dedicated line or distinctive ring came here from the voice number;
    // a plainly shared line through the answering machine question.
    if (FaxSettings.DistinctiveRing || FaxSettings.DedicatedLine)
        BackId = IDD_VOICE_NUMBER;
    else
        BackId = IDD_ANSWERING_MACHINE;
    AnswerModem(ModemIndex == 0);
    GoBack();
}

void ModemPage::OnNext() {
    UpdateData(TRUE);
    AnswerModem(ModemIndex == 0);
    GoNext();
}

void ModemPage::OnPaint() { DrawArtwork(); }
