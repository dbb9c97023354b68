// The wizard run: builds every page object, loads the settings, shows one page
// at a time by page id, then deletes the pages and saves the settings unless
// the user cancelled.
//
// The engine knows the pages only by id. Each page class tells it how to build
// its object through RegisterWizardPage (the pages library does that for all
// of its classes in RegisterWizardPages); an id of the table without a page
// object counts as not in the table: reaching it ends the run.
#pragma once
#include "framework/object.h"
#include "wizard/wizardpage.h"

// The page the wizard starts with.
const int kFirstPageId = 2805;

// The page table, in the order the page objects are built.
const int kWizardPageCount = 12;
extern const int WizardPageIds[kWizardPageCount];
bool IsWizardPageId(int pageId);

typedef WizardPage* (*WizardPageFactory)(CWnd* parent);

template <class Page>
WizardPage* MakeWizardPage(CWnd* parent) {
    return new Page(parent);
}

// Sets how the page object of pageId is built; none removes it. False for an
// id that is not in the page table.
bool RegisterWizardPage(int pageId, WizardPageFactory factory);
WizardPageFactory GetWizardPageFactory(int pageId);

class WizardController : public CObject {
public:
    explicit WizardController(int firstPageId);
    ~WizardController() override;

    void Run();

    int CurrentPageId;  // the page to show next; 0 when the run is over

private:
    WizardPage* Find(int pageId) const;
    WizardPage* pages_[kWizardPageCount];
};
