// Page 2812: the voice number on a dedicated line; it may stay empty.
#pragma once
#include "wizard/uiext.h"
#include "wizard/wizardpage.h"

class VoiceNumberPage : public WizardPage {
public:
    explicit VoiceNumberPage(CWnd* parent);

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnBack();
    void OnNext();
    void OnPaint();
    DECLARE_MESSAGE_MAP()

private:
    CFaxIdEdit NumberField;
};
