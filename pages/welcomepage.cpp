#include "pages/welcomepage.h"

#include "pages/fieldtext.h"

BEGIN_MESSAGE_MAP(WelcomePage, WizardPage)
    ON_BN_CLICKED(kBackButton, OnBack)
    ON_BN_CLICKED(kNextButton, OnNext)
    ON_WM_PAINT()
END_MESSAGE_MAP()

WelcomePage::WelcomePage(CWnd* parent) : WizardPage(2805, 2833, parent) {
    NextId = 2808;
    // Back from the first page ends the wizard, keeping the settings.
    BackId = 0;
}

void WelcomePage::DoDataExchange(CDataExchange* dx) { WizardPage::DoDataExchange(dx); }

BOOL WelcomePage::OnInitDialog() {
    WizardPage::OnInitDialog();
    return StartOnNext(*this);
}

void WelcomePage::OnCancel() { WizardPage::OnCancel(); }

void WelcomePage::OnBack() {
    UpdateData(TRUE);
    GoBack();
}

void WelcomePage::OnNext() {
    UpdateData(TRUE);
    GoNext();
}

void WelcomePage::OnPaint() { DrawArtwork(); }
