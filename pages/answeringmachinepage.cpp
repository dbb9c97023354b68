#include "pages/answeringmachinepage.h"

#include "common/expand.h"
#include "pages/fieldtext.h"
#include "pages/policylock.h"
#include "resources/resource_ids.h"
#include "road/road.h"
#include "settings/faxsettings.h"
#include "wizard/uiext.h"

BEGIN_MESSAGE_MAP(AnsweringMachinePage, WizardPage)
    ON_BN_CLICKED(kBackButton, OnBack)
    ON_BN_CLICKED(kNextButton, OnNext)
    ON_BN_CLICKED(IDC_TAM_YES, OnTamYes)
    ON_WM_PAINT()
    ON_WM_LBUTTONDOWN()
END_MESSAGE_MAP()

CString FormatWithText(const char* format, const char* argument) {
    CString out;
    if (!format) return out;
    if (!argument) argument = "";
    bool filled = false;
    for (const char* p = format; *p;) {
        if (*p == '%' && p[1] == '%') {
            out += '%';
            p += 2;
        } else if (*p == '%' && p[1] == 's' && !filled) {
            out += argument;
            filled = true;
            p += 2;
        } else {
            // Whole characters, so a trail byte is never taken for a "%".
            const char* next = CharNextA(p);
            if (next == p) next = p + 1;
            out += CString(p, (int)(next - p));
            p = next;
        }
    }
    return out;
}

AnsweringMachinePage::AnsweringMachinePage(CWnd* parent)
    : WizardPage(IDD_ANSWERING_MACHINE, IDB_ART_VOICE, parent) {
    NextId = IDD_MODEM;
    BackId = IDD_SHARED_NUMBER;
    TamIndex = FaxSettings.TAM ? 0 : 1;
}

void AnsweringMachinePage::DoDataExchange(CDataExchange* dx) {
    WizardPage::DoDataExchange(dx);
    DDX_Radio(dx, IDC_TAM_YES, TamIndex);
}

BOOL AnsweringMachinePage::OnInitDialog() {
    WizardPage::OnInitDialog();

    CMacroText fallback;
    const char* number = FaxSettings.FaxNumber;
    if (!*number) {
        fallback.LoadEx(IDS_NOT_SET, kNameRangeFirst, StandardValueFlags, nullptr);
        number = fallback;
    }
    // A string the module lacks leaves the template's own wording.
    CMacroText question, yesText;
    if (question.LoadEx(IDS_TAM_QUESTION, kNameRangeFirst, StandardValueFlags, nullptr))
        SetDlgItemText(IDC_TAM_QUESTION, FormatWithText(question, number));
    if (yesText.LoadEx(IDS_TAM_YES_TEXT, kNameRangeFirst, StandardValueFlags, nullptr))
        SetDlgItemText(IDC_TAM_YES_TEXT, FormatWithText(yesText, number));
    LockHeldValue(*this, PolicyTAM, {IDC_TAM_YES, IDC_TAM_NO, IDC_TAM_YES_TEXT});
    return StartOnFirstAnswer(*this);
}

void AnsweringMachinePage::OnCancel() { WizardPage::OnCancel(); }

void AnsweringMachinePage::OnTamYes() { UpdateData(TRUE); }

void AnsweringMachinePage::OnLButtonDown(UINT flags, CPoint point) {
    // The text under the first answer belongs to it: a click there picks it.
    HWND text = ::GetDlgItem(m_hWnd, IDC_TAM_YES_TEXT);
    if ((flags & MK_LBUTTON) && text && !PolicyHolds(PolicyTAM)) {
        CRect rect;
        ::GetWindowRect(text, &rect);
        ScreenToClient(&rect);
        if (rect.PtInRect(point)) {
            TamIndex = 0;
            UpdateData(FALSE);
            // Through the dialog manager, so the default button follows.
            if (CWnd* yes = GetDlgItem(IDC_TAM_YES)) GotoDlgCtrl(yes);
        }
    }
    Default();
}

void AnsweringMachinePage::StoreAnswer() {
    UpdateData(TRUE);
    AnswerAnsweringMachine(TamIndex == 0);
}

void AnsweringMachinePage::OnBack() {
    StoreAnswer();
    GoBack();
}

void AnsweringMachinePage::OnNext() {
    StoreAnswer();
    GoNext();
}

void AnsweringMachinePage::OnPaint() { DrawArtwork(); }
