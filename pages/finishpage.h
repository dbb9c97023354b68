// Page 2809, the last page: Finish records that setup has run, shows the
// setup summary in the editor, and starts product registration when the
// installation asked for it. The wizard then ends and saves the settings.
#pragma once
#include "wizard/wizardpage.h"

class FinishPage : public WizardPage {
public:
    explicit FinishPage(CWnd* parent);

protected:
    BOOL OnInitDialog() override;
    void OnCancel() override;
    void OnBack();
    void OnFinish();
    void OnPaint();
    DECLARE_MESSAGE_MAP()
};
