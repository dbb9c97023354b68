// The program's main window, never shown: it gives the framework its main
// window, receives the start message queued behind start-up, and hears the
// shutdown requests that other programs send through the event object library.
#pragma once
#include "framework/frame.h"

// Private messages of the hidden window.
const UINT kStartWizardMessage = WM_USER + 1000;     // 2024
const UINT kShutdownRequestMessage = WM_USER + 1001; // 2025

extern const char kMainWindowTitle[];

class WizardFrame : public CFrameWnd {
public:
    // Creates the window: hidden, topmost, at 200,200-400,400.
    WizardFrame();

    // Runs the wizard, then ends the program; only the first start message counts.
    LRESULT OnStartWizard(WPARAM first, LPARAM second);
    // With second parameter 1, asks whether to quit and ends the program on OK.
    LRESULT OnShutdownRequest(WPARAM first, LPARAM second);

    DECLARE_MESSAGE_MAP()

private:
    bool started_ = false;
};
