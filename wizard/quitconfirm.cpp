#include "wizard/quitconfirm.h"

#include "common/expand.h"
#include "framework/resource.h"
#include "wizard/dialogtext.h"
#include "wizard/wizardpage.h"

QuitConfirmDialog::QuitConfirmDialog(CWnd* parent) : CDialog(kQuitConfirmTemplate, parent) {}

BOOL QuitConfirmDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    ExpandDialogTexts(m_hWnd, AfxGetResourceHandle(), kNameRangeFirst, kNameRangeSecond,
                      StandardValueFlags);
    return TRUE;
}
