#include "pages/pagelist.h"

#include "pages/answeringmachinepage.h"
#include "pages/finishpage.h"
#include "pages/modempage.h"
#include "pages/summarypage.h"
#include "pages/welcomepage.h"
#include "wizard/controller.h"

void RegisterWizardPages() {
    // One row for each page class; a page not written yet is simply absent,
    // and reaching its id ends the run as an id outside the table would.
    RegisterWizardPage(2805, MakeWizardPage<WelcomePage>);
    RegisterWizardPage(2814, MakeWizardPage<AnsweringMachinePage>);
    RegisterWizardPage(2815, MakeWizardPage<ModemPage>);
    RegisterWizardPage(2817, MakeWizardPage<SummaryPage>);
    RegisterWizardPage(2809, MakeWizardPage<FinishPage>);
}
