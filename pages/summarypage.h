// Page 2817: the answers are complete. Opening it writes the setup summary
// (and settles rings-to-answer and auto-answer); it offers the product's
// README and one command sent to the device at once.
#pragma once
#include "wizard/wizardpage.h"

// Where the product's installation records its root folder (HKEY_LOCAL_MACHINE).
extern const char kProductEnvKey[];

class SummaryPage : public WizardPage {
public:
    explicit SummaryPage(CWnd* parent);

protected:
    BOOL OnInitDialog() override;
    // Besides the quit question: whatever the answer, the wizard counts as
    // run, and pending registration starts.
    void OnCancel() override;
    void OnBack();
    void OnNext();
    void OnPaint();
    void OnReadMe();
    void OnDeviceCommand();
    DECLARE_MESSAGE_MAP()
};
