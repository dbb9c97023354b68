#include "pages/namecompanypage.h"

#include "pages/fieldtext.h"
#include "pages/policylock.h"
#include "resources/resource_ids.h"
#include "road/road.h"
#include "settings/faxsettings.h"

BEGIN_MESSAGE_MAP(NameCompanyPage, WizardPage)
    ON_BN_CLICKED(IDC_BACK, OnBack)
    ON_BN_CLICKED(IDC_NEXT, OnNext)
    ON_WM_PAINT()
END_MESSAGE_MAP()

NameCompanyPage::NameCompanyPage(CWnd* parent) : WizardPage(IDD_NAME_COMPANY, IDB_ART_IDENTITY, parent) {
    // The settings are loaded before the pages are built, so the device's
    // answer decides the route for the whole run.
    NextId = FaxSettings.DeviceOptionSupported ? IDD_DEVICE_OPTION : IDD_DEDICATED_LINE;
    BackId = IDD_WELCOME;
}

void NameCompanyPage::DoDataExchange(CDataExchange* dx) {
    WizardPage::DoDataExchange(dx);
    DDX_Control(dx, IDC_COMPANY, CompanyField);
    DDX_Control(dx, IDC_USER_NAME, NameField);
}

BOOL NameCompanyPage::OnInitDialog() {
    WizardPage::OnInitDialog();
    CompanyField.SetWindowText(FaxSettings.Company);
    NameField.SetWindowText(FaxSettings.UserName);
    // The limits govern typing only: a longer name already stored (the
    // registered owner may give 26 bytes) is shown and kept whole.
    NameField.LimitText(RoadNameLimit);
    CompanyField.LimitText(RoadCompanyLimit);
    LockHeldValue(*this, PolicyUserName, {IDC_USER_NAME});
    LockHeldValue(*this, PolicyCompany, {IDC_COMPANY});
    return StartOnFirstAnswer(*this);
}

void NameCompanyPage::StoreFields() {
    AnswerIdentity(TypedText(CompanyField), TypedText(NameField));
}

void NameCompanyPage::OnBack() {
    UpdateData(TRUE);
    StoreFields();
    GoBack();
}

void NameCompanyPage::OnNext() {
    UpdateData(TRUE);
    StoreFields();
    GoNext();
}

void NameCompanyPage::OnPaint() { DrawArtwork(); }
