// Page 2810: is the fax line a dedicated fax line or shared with the
// telephone? The answer splits the road: the fax number (2811) or the one
// number of a shared line (2813).
#pragma once
#include "wizard/wizardpage.h"

class DedicatedLinePage : public WizardPage {
public:
    explicit DedicatedLinePage(CWnd* parent);

    // Checked button of the group at 5519: 0 = dedicated, any other = shared,
    // -1 = none.
    int LineIndex;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnFirstButton();
    void OnBack();
    void OnNext();
    void OnPaint();
    DECLARE_MESSAGE_MAP()

private:
    void StoreAnswer();
};
