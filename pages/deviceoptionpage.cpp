#include "pages/deviceoptionpage.h"

#include "pages/fieldtext.h"
#include "pages/policylock.h"
#include "resources/resource_ids.h"
#include "road/road.h"
#include "settings/faxsettings.h"

BEGIN_MESSAGE_MAP(DeviceOptionPage, WizardPage)
    ON_BN_CLICKED(IDC_OPTION_YES, OnFirstButton)
    ON_BN_CLICKED(IDC_BACK, OnBack)
    ON_BN_CLICKED(IDC_NEXT, OnNext)
    ON_WM_PAINT()
END_MESSAGE_MAP()

DeviceOptionPage::DeviceOptionPage(CWnd* parent)
    : WizardPage(IDD_DEVICE_OPTION, IDB_ART_LINE, parent) {
    NextId = IDD_DEDICATED_LINE;
    BackId = IDD_NAME_COMPANY;
    // Taken from the loaded value once; later showings keep the user's choice.
    OptionIndex = FaxSettings.DeviceOption ? 0 : 1;
}

void DeviceOptionPage::DoDataExchange(CDataExchange* dx) {
    WizardPage::DoDataExchange(dx);
    DDX_Radio(dx, IDC_OPTION_YES, OptionIndex);
}

BOOL DeviceOptionPage::OnInitDialog() {
    WizardPage::OnInitDialog();
    LockHeldValue(*this, PolicyDeviceOption, {IDC_OPTION_YES, IDC_OPTION_NO});
    return StartOnFirstAnswer(*this);
}

void DeviceOptionPage::OnFirstButton() { UpdateData(TRUE); }

void DeviceOptionPage::StoreAnswer() {
    UpdateData(TRUE);
    AnswerDeviceOption(OptionIndex == 0);
}

void DeviceOptionPage::OnBack() {
    StoreAnswer();
    GoBack();
}

void DeviceOptionPage::OnNext() {
    StoreAnswer();
    GoNext();
}

void DeviceOptionPage::OnPaint() { DrawArtwork(); }
