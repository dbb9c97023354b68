#include "app/wizardapp.h"

#include <stdlib.h>
#include <string.h>

#include "app/profile.h"
#include "app/startup.h"
#include "app/wizardframe.h"
#include "common/expand.h"
#include "common/registry/devices.h"
#include "common/registry/values.h"
#include "common/resmodule.h"
#include "common/timing.h"
#include "common/util.h"
#include "framework/resource.h"
#include "maker/devaccess/devaccess.h"
#include "maker/evobject/evobject.h"
#include "pages/pagelist.h"
#include "resources/resource_ids.h"
#include "settings/faxsettings.h"
#include "settings/policy.h"
#include "wizard/controller.h"
#include "wizard/uiext.h"
#include "wizard/wizardpage.h"

// Shared by every running copy of the program image (section flags: read,
// write, shared). It must be initialised to land in the section.
__attribute__((section("WIZ"), shared)) volatile unsigned long InstanceCounter = 0;

namespace {

const char kShutdownObject[] = "ShutdownRequest";
const char kSetupSection[] = "Setup";
const char kSetupRunKey[] = "SetupRun";
const int kCommandLineRoom = 256;

HEVOBJECT ShutdownEvent = nullptr;

}  // namespace

bool ClaimFirstInstance() {
    // Only a counter still at 0 is raised, so a refused copy leaves it as it was.
    return InterlockedCompareExchange(reinterpret_cast<volatile LONG*>(&InstanceCounter), 1, 0) ==
           0;
}

CommandLineOptions ParseCommandLine(const char* commandLine) {
    CommandLineOptions options = {0, 0, 0, 0};
    if (!commandLine) return options;

    // Blanks go first, so "-d 7 7" reads as "-d77".
    char text[kCommandLineRoom];
    int length = 0;
    for (const char* p = commandLine; *p && length < kCommandLineRoom - 1;) {
        const char* next = CharNextA(p);
        int size = (int)(next - p);
        if (size <= 0) break;
        if (size == 1 && *p == ' ') {
            p = next;
            continue;
        }
        if (length + size > kCommandLineRoom - 1) break;  // no half character at the cut
        memcpy(text + length, p, (size_t)size);
        length += size;
        p = next;
    }
    text[length] = '\0';

    // Tokens run from one "-" or "/" to the next.
    char* p = text;
    while (*p) {
        while (*p == '-' || *p == '/') ++p;
        if (!*p) break;
        char* token = p;
        while (*p && *p != '-' && *p != '/') p = CharNextA(p);
        char saved = *p;
        *p = '\0';
        long number = strtol(token + 1, nullptr, 10);
        switch (token[0]) {
        case 'd':
            options.DeviceGiven = 1;
            options.DeviceId = number;
            break;
        case 'm':
            options.ModelGiven = 1;
            options.ModelId = number;
            break;
        default:  // "l" is accepted and means nothing; other letters are not ours
            break;
        }
        *p = saved;
    }
    return options;
}

WizardApp::WizardApp()
    : CWinApp(kApplicationName),
      ModelGiven(0),
      DeviceGiven(0),
      ModelId(0),
      DeviceId(0),
      ResourceModule(nullptr),
      SavedResourceHandle(nullptr),
      Controller(nullptr) {}

void WizardApp::TakeCommandLine(const char* commandLine) {
    CommandLineOptions options = ParseCommandLine(commandLine);
    ModelGiven = options.ModelGiven;
    DeviceGiven = options.DeviceGiven;
    ModelId = options.ModelId;
    DeviceId = options.DeviceId;
}

void WizardApp::SettleDeviceAndModel() {
    ::SettleDeviceAndModel(DeviceGiven, ModelGiven, &DeviceId, &ModelId);
}

BOOL WizardApp::InitInstance() {
    TimingMark("start");
    if (!ClaimFirstInstance()) return FALSE;
    // faxcfg changes the same settings: while it runs, the wizard does not start.
    if (!TakeSetupLock()) return FALSE;

    SavedResourceHandle = AfxGetResourceHandle();
    ResourceModule = LoadResourceModule(m_hInstance, kApplicationName, 0);
    if (ResourceModule) AfxSetResourceHandle(ResourceModule);
    TimingMark("resource module loaded");

    InitUiExtensions(AfxGetResourceHandle());
    SetLibraryResourceInstance(AfxGetResourceHandle());
    TimingMark("ui extensions");

    // The administrator may keep the wizard closed: it says so and ends
    // before it changes anything.
    if (ReadFaxPolicies().DisableWizard) {
        ReportWizardDisabled();
        m_exitCode = EXIT_WIZARD_DISABLED;
        return FALSE;
    }

    BeginWaitCursor();
    Enable3dControls();

    TakeCommandLine(m_lpCmdLine);
    SettleDeviceAndModel();
    TimingMark("device and model settled");

    WizardFrame* frame = new WizardFrame;
    m_pMainWnd = frame;
    if (!frame->m_hWnd) {
        // Without its window the start message would have nowhere to go and
        // the program would wait for ever, unseen.
        EndWaitCursor();
        return FALSE;
    }
    frame->ShowWindow(SW_HIDE);
    frame->UpdateWindow();
    TimingMark("main window");

    FaxSettings.ProgramDir = ReadEnvValue(ModelId, "ProgramDir");
    FaxSettings.DataDir = ReadEnvValue(ModelId, "DataDir");

    TimingMark("environment values");
    OpenDeviceConnection(DeviceId);
    TimingMark("device connection");

    FaxSettings.ProdIniFile = ReadEnvValue(ModelId, "ProdIniFile");

    FaxSettings.DeviceIniPath = RegistrationIniPath();

    WriteIniFlag(kSetupSection, kSetupRunKey, 1, 1, FaxSettings.ProdIniFile);
    TimingMark("product INI marked");

    ShutdownEvent = EvRegisterObject(kShutdownObject, DeviceId);
    if (ShutdownEvent)
        EvSetTrapEventMsg(ShutdownEvent, EV_TRAP_POST_MESSAGE, frame->m_hWnd,
                          kShutdownRequestMessage, 0);

    TimingMark("event registration");
    EndWaitCursor();

    frame->PostMessage(kStartWizardMessage, 0, 0);
    return TRUE;
}

int WizardApp::ExitInstance() {
    if (m_pMainWnd) {
        delete m_pMainWnd;
        m_pMainWnd = nullptr;
    }

    EvUnregisterObject(ShutdownEvent);
    ShutdownEvent = nullptr;

    CloseDeviceConnection();

    // Only a start that got as far as the product INI has anything to undo.
    if (!FaxSettings.ProdIniFile.IsEmpty())
        WriteIniFlag(kSetupSection, kSetupRunKey, 0, 1, FaxSettings.ProdIniFile);

    if (ResourceModule) {
        ReleaseResourceModule(m_hInstance, ResourceModule, kApplicationName, 0);
        ResourceModule = nullptr;
        AfxSetResourceHandle(SavedResourceHandle);
    }
    ReleaseSetupLock();
    return CWinApp::ExitInstance();
}

void WizardApp::ReportMissingLanguageFiles() {
    // The module's texts are what is missing: the program's own are English.
    HINSTANCE own = m_hInstance ? m_hInstance : GetModuleHandleA(nullptr);
    char text[512] = "";
    char caption[128] = "";
    LoadStringA(own, IDS_NO_LANGUAGE_FILES, text, sizeof text);
    LoadStringA(own, IDS_NO_LANGUAGE_FILES_CAPTION, caption, sizeof caption);
    MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

void WizardApp::ReportWizardDisabled() {
    CMacroText text, caption;
    const char* shown = nullptr;
    char own[256] = "";
    if (text.LoadEx(IDS_WIZARD_DISABLED, kNameRangeFirst, StandardValueFlags, nullptr)) {
        shown = text;
    } else {
        LoadStringA(m_hInstance ? m_hInstance : GetModuleHandleA(nullptr),
                    IDS_WIZARD_DISABLED_OWN, own, sizeof own);
        shown = own;
    }
    char ownCaption[128] = "";
    if (!caption.LoadEx(IDS_WIZARD_DISABLED_TITLE, kNameRangeFirst, StandardValueFlags, nullptr))
        LoadStringA(m_hInstance ? m_hInstance : GetModuleHandleA(nullptr),
                    IDS_NO_LANGUAGE_FILES_CAPTION, ownCaption, sizeof ownCaption);
    const char* title = caption.IsEmpty() ? ownCaption : (const char*)caption;
    MessageBoxA(nullptr, shown, title, MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
}

int WizardApp::RunWizard() {
    TimingMark("start message");
    RegisterWizardPages();
    // Without even the first page's template (no resource module at all)
    // nothing could be shown: the run would pass every page unseen and write
    // settings nobody has looked at into the files and the device.
    if (!FindResourceA(AfxGetResourceHandle(), MAKEINTRESOURCEA(kFirstPageId),
                       (LPCSTR)RT_DIALOG)) {
        ReportMissingLanguageFiles();
        return EXIT_NO_LANGUAGE_FILES;
    }

    Controller = new WizardController(kFirstPageId);
    Controller->Run();
    delete Controller;
    Controller = nullptr;
    return 0;
}
