#include "pages/pagelist.h"

#include "pages/answeringmachinepage.h"
#include "pages/dedicatedlinepage.h"
#include "pages/deviceoptionpage.h"
#include "pages/faxnumberpage.h"
#include "pages/finishpage.h"
#include "pages/modempage.h"
#include "pages/namecompanypage.h"
#include "pages/samenumberpage.h"
#include "pages/sharedlinenumberpage.h"
#include "pages/summarypage.h"
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
    RegisterWizardPage(2814, MakeWizardPage<AnsweringMachinePage>);
    RegisterWizardPage(2815, MakeWizardPage<ModemPage>);
    RegisterWizardPage(2817, MakeWizardPage<SummaryPage>);
    RegisterWizardPage(2809, MakeWizardPage<FinishPage>);
}
