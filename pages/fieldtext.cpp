#include "pages/fieldtext.h"

#include "wizard/uiext.h"
#include "wizard/wizardpage.h"

CString TypedText(const CWnd& field) {
    CString text;
    field.GetWindowText(text);
    return text;
}

void RefuseField(CDialog& page, UINT textId, UINT captionId, CWnd& field) {
    CMacroText text;
    CMacroText caption;
    text.LoadEx(textId, kNameRangeFirst, StandardValueFlags, nullptr);
    caption.LoadEx(captionId, kNameRangeFirst, StandardValueFlags, nullptr);
    page.MessageBox(text, caption, MB_OK | MB_ICONEXCLAMATION);
    page.GotoDlgCtrl(&field);
}

BOOL StartOnNext(CDialog& page) {
    CWnd* next = page.GetDlgItem(kNextButton);
    if (!next) return TRUE;
    page.GotoDlgCtrl(next);
    return FALSE;
}

BOOL StartOnFirstAnswer(CDialog& page) {
    HWND first = ::GetNextDlgTabItem(page.m_hWnd, nullptr, FALSE);
    int id = first ? ::GetDlgCtrlID(first) : 0;
    // Every answer locked by a policy: the first tab stop would be Back, and
    // Enter would go back.
    if (id == kBackButton || id == kNextButton || id == IDCANCEL) return StartOnNext(page);
    return TRUE;
}
