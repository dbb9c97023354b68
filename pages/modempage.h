// Page 2815: does a PC modem share the fax line? Reached from the voice
// number page and from the answering machine page; Back returns to the one
// the line answers lead through.
#pragma once
#include "wizard/wizardpage.h"

class ModemPage : public WizardPage {
public:
    explicit ModemPage(CWnd* parent);

    // Index of the checked button of the group that starts at 5531: 0 is
    // "yes" (Modem = 1), anything else "no"; -1 when none is checked.
    int ModemIndex;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnCancel() override;
    void OnBack();
    void OnNext();
    void OnPaint();
    DECLARE_MESSAGE_MAP()
};
