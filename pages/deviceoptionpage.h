// Page 2821: the yes/no option the device keeps in its management object 45.
// On the road only when the device reports that it has the option.
#pragma once
#include "wizard/wizardpage.h"

class DeviceOptionPage : public WizardPage {
public:
    explicit DeviceOptionPage(CWnd* parent);

    // Checked button of the group at 5548: 0 = on, any other = off, -1 = none.
    int OptionIndex;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnFirstButton();
    void OnBack();
    void OnNext();
    void OnPaint();
    DECLARE_MESSAGE_MAP()

private:
    void StoreAnswer();
};
