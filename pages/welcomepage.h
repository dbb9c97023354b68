// Page 2805, the first page: shows its text and artwork, leads to page 2808.
#pragma once
#include "wizard/wizardpage.h"

class WelcomePage : public WizardPage {
public:
    explicit WelcomePage(CWnd* parent);

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnCancel() override;
    void OnBack();
    void OnNext();
    void OnPaint();
    DECLARE_MESSAGE_MAP()
};
