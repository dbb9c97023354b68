// Page 2811: the device's fax number on a dedicated line; it must not be empty.
#pragma once
#include "wizard/uiext.h"
#include "wizard/wizardpage.h"

class FaxNumberPage : public WizardPage {
public:
    explicit FaxNumberPage(CWnd* parent);

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
