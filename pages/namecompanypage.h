// Page 2808: the user's name for the fax header, and the company.
#pragma once
#include "wizard/uiext.h"
#include "wizard/wizardpage.h"

class NameCompanyPage : public WizardPage {
public:
    explicit NameCompanyPage(CWnd* parent);

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnBack();
    void OnNext();
    void OnPaint();
    DECLARE_MESSAGE_MAP()

private:
    void StoreFields();

    CFaxHeaderField CompanyField;
    CFaxHeaderField NameField;
};
