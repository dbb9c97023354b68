// The question whether to quit the wizard (dialog template 2820).
#pragma once
#include "framework/dialog.h"

const UINT kQuitConfirmTemplate = 2820;

// DoModal gives IDOK when the user confirmed quitting; anything else means stay.
class QuitConfirmDialog : public CDialog {
public:
    explicit QuitConfirmDialog(CWnd* parent = nullptr);

protected:
    BOOL OnInitDialog() override;
};
