#include "pages/policylock.h"

#include "resources/resource_ids.h"

bool LockHeldValue(CDialog& page, PolicyValue value, std::initializer_list<int> controls) {
    if (!PolicyHolds(value)) return false;
    for (int id : controls)
        if (HWND control = ::GetDlgItem(page.m_hWnd, id)) ::EnableWindow(control, FALSE);
    if (HWND note = ::GetDlgItem(page.m_hWnd, IDC_POLICY_NOTE)) ::ShowWindow(note, SW_SHOWNA);
    return true;
}
