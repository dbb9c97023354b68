// Page 2818: the fax and voice numbers have the same digits, so the line
// question is asked again. A dedicated line goes back to the fax number to
// correct it; a shared line drops the voice number and goes on to 2813.
// There is no way back from this page.
#pragma once
#include "wizard/wizardpage.h"

class SameNumberPage : public WizardPage {
public:
    explicit SameNumberPage(CWnd* parent);

    // Checked button of the group at 5530: 0 = dedicated, any other = shared,
    // -1 = none.
    int LineIndex;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnFirstButton();
    void OnNext();
    void OnPaint();
    DECLARE_MESSAGE_MAP()
};
