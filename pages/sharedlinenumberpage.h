// Page 2813: the one number of a line shared by fax and telephone; it becomes
// both the fax and the voice number and must not be empty.
#pragma once
#include "wizard/uiext.h"
#include "wizard/wizardpage.h"

class SharedLineNumberPage : public WizardPage {
public:
    explicit SharedLineNumberPage(CWnd* parent);

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnBack();
    void OnNext();
    void OnPaint();
    DECLARE_MESSAGE_MAP()

private:
    CFaxIdEdit NumberField;
};
