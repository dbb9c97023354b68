#include "pages/pagelist.h"

#include "pages/welcomepage.h"
#include "wizard/controller.h"

void RegisterWizardPages() {
    // One row for each page class; a page not written yet is simply absent,
    // and reaching its id ends the run as an id outside the table would.
    RegisterWizardPage(2805, MakeWizardPage<WelcomePage>);
}
