// The application object: one copy at a time, the resource module, the device
// and model from the command line, the device connection, the shutdown
// request, the start of the wizard, and the undoing of all that at exit.
#pragma once
#include <windows.h>

#include "app/messages.h"
#include "framework/app.h"

class WizardController;

// Name of the application in the product information file.
extern const char kApplicationName[];

// Counts the copies of the program that got past the start; shared by every
// copy through a data section of the program image, so it is 0 again once
// no copy runs. Only ever tested and raised.
extern volatile unsigned long InstanceCounter;

// Tests the counter and raises it in one atomic step: true for the first
// copy, false when a copy has already claimed it.
bool ClaimFirstInstance();

// What the command line asked for.
struct CommandLineOptions {
    int ModelGiven;
    int DeviceGiven;
    long ModelId;
    long DeviceId;
};

// Reads "-d<number>", "-m<number>" and "-l<number>" (or with "/"). Blanks are
// dropped first and at most 255 characters are looked at; a later option of
// the same letter wins; other letters, upper case included, are ignored.
CommandLineOptions ParseCommandLine(const char* commandLine);

class WizardApp : public CWinApp {
public:
    WizardApp();

    BOOL InitInstance() override;
    int ExitInstance() override;

    // Runs the wizard from its first page; returns when it has ended and the
    // settings are saved or dropped, with the program's exit code: 0, or
    // EXIT_NO_LANGUAGE_FILES when no page could be shown (the person was told).
    int RunWizard();

    // The command line's choice, then the device and model settled from it.
    void TakeCommandLine(const char* commandLine);
    void SettleDeviceAndModel();

    int ModelGiven;
    int DeviceGiven;
    long ModelId;
    long DeviceId;
    HINSTANCE ResourceModule;
    HINSTANCE SavedResourceHandle;
    WizardController* Controller;

private:
    void ReportMissingLanguageFiles();
    void ReportWizardDisabled();
};
