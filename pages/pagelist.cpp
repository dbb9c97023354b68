#include "pages/pagelist.h"

#include "pages/dedicatedlinepage.h"
#include "pages/deviceoptionpage.h"
#include "pages/faxnumberpage.h"
#include "pages/namecompanypage.h"
#include "pages/samenumberpage.h"
#include "pages/sharedlinenumberpage.h"
#include "pages/voicenumberpage.h"
#include "pages/welcomepage.h"
#include "wizard/controller.h"

void RegisterWizardPages() {
    // One row for each page class; a page not written yet is simply absent,
    // and reaching its id ends the run as an id outside the table would.
    RegisterWizardPage(2805, MakeWizardPage<WelcomePage>);
    RegisterWizardPage(2808, MakeWizardPage<NameCompanyPage>);
    RegisterWizardPage(2821, MakeWizardPage<DeviceOptionPage>);
    RegisterWizardPage(2810, MakeWizardPage<DedicatedLinePage>);
    RegisterWizardPage(2818, MakeWizardPage<SameNumberPage>);
    RegisterWizardPage(2811, MakeWizardPage<FaxNumberPage>);
    RegisterWizardPage(2812, MakeWizardPage<VoiceNumberPage>);
    RegisterWizardPage(2813, MakeWizardPage<SharedLineNumberPage>);
}
