#include "pages/fieldtext.h"

#include "common/util.h"
#include "wizard/uiext.h"
#include "wizard/wizardpage.h"

CString TrimmedText(const CWnd& field) {
    CString text;
    field.GetWindowText(text);
    // Another program can put line breaks into a field; the text stays one line.
    BlankControlChars(text.GetBuffer(text.GetLength()));
    text.ReleaseBuffer();
    text.Trim();
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
