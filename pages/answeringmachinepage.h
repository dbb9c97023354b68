// Page 2814: is an answering machine on the shared line? Its two texts name
// the fax number typed before; a click on the second picks the first answer.
#pragma once
#include "wizard/wizardpage.h"

class AnsweringMachinePage : public WizardPage {
public:
    explicit AnsweringMachinePage(CWnd* parent);

    // Index of the checked button of the group that starts at 5509: 0 is
    // "yes" (TAM = 1), anything else "no"; -1 when none is checked.
    int TamIndex;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnCancel() override;
    void OnBack();
    void OnNext();
    void OnPaint();
    void OnTamYes();
    void OnLButtonDown(UINT flags, CPoint point);
    DECLARE_MESSAGE_MAP()

private:
    void StoreAnswer();
};

// Fills format's "%s" with argument ("%%" gives one "%"); any other "%"
// sequence stays as written, so a format from a resource never reads an
// argument that is not there.
CString FormatWithText(const char* format, const char* argument);
