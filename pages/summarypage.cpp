#include "pages/summarypage.h"

#include "common/util.h"
#include "maker/devaccess/devaccess.h"
#include "pages/fieldtext.h"
#include "resources/resource_ids.h"
#include "road/road.h"
#include "road/setupmarks.h"
#include "settings/devobjects.h"
#include "settings/faxsettings.h"

const char kProductEnvKey[] = "Software\\Kelvaro\\Corvantis\\Env";

namespace {
// The device's line test: parameter 183 cleared, then command 4 to object 10.
const unsigned short kLineTestParam = 183;
const WORD kCommandObject = 10;
const long kLineTestCommand = 4;
}  // namespace

BEGIN_MESSAGE_MAP(SummaryPage, WizardPage)
    ON_BN_CLICKED(kBackButton, OnBack)
    ON_BN_CLICKED(kNextButton, OnNext)
    ON_BN_CLICKED(IDC_README, OnReadMe)
    ON_BN_CLICKED(IDC_DEVICE_COMMAND, OnDeviceCommand)
    ON_WM_PAINT()
END_MESSAGE_MAP()

SummaryPage::SummaryPage(CWnd* parent) : WizardPage(IDD_SUMMARY, IDB_ART_SUMMARY, parent) {
    NextId = IDD_FINISH;
    BackId = IDD_MODEM;
}

BOOL SummaryPage::OnInitDialog() {
    WizardPage::OnInitDialog();
    // Every visit: the answers may have changed since the last one.
    SummarizeRoad();
    return StartOnNext(*this);
}

void SummaryPage::OnBack() { GoBack(); }

void SummaryPage::OnNext() { GoNext(); }

void SummaryPage::OnPaint() { DrawArtwork(); }

void SummaryPage::OnReadMe() {
    char root[MAX_PATH] = "";
    // Without the product's root folder there is no README to show.
    if (!ReadRegistryString(HKEY_LOCAL_MACHINE, kProductEnvKey, "RootDir", root, sizeof root))
        return;
    root[sizeof root - 1] = '\0';
    StripTrailingBackslash(root);
    if (!root[0]) return;

    CString commandLine;
    commandLine.Format("%s %s\\HELP\\README.TXT", "notepad.exe", root);
    char windowsDir[MAX_PATH] = "";
    GetWindowsDirectoryA(windowsDir, sizeof windowsDir);

    // Let the editor come in front of the page, which stays open below it.
    SetWindowPos(&wndNoTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    StartProgram(nullptr, commandLine, windowsDir[0] ? windowsDir : nullptr, 0);
    SetWindowPos(&wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void SummaryPage::OnDeviceCommand() {
    if (FaxSettings.DeviceClient == 0 || FaxSettings.ObjectChannel == 0) return;
    DaSetIntParam(FaxSettings.DeviceClient, kLineTestParam, 0);
    SetObjectShort(FaxSettings.DeviceClient, kCommandObject, kLineTestCommand);
}

void SummaryPage::OnCancel() {
    WizardPage::OnCancel();
    ClearRunSetupWizard();
    LaunchPendingRegistration();
}
