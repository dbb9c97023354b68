#include "wizard/controller.h"

#include "common/bitmap.h"
#include "common/logfile.h"
#include "common/timing.h"
#include "framework/app.h"
#include "framework/resource.h"
#include "settings/faxsettings.h"
#include "settings/status.h"
#include "settings/policy.h"

const int WizardPageIds[kWizardPageCount] = {2805, 2808, 2810, 2811, 2812, 2813,
                                             2814, 2815, 2817, 2809, 2818, 2821};

// The bitmap whose colours become the wizard palette: the first page's artwork.
static const int kPaletteArtwork = 2833;

static WizardPageFactory g_factories[kWizardPageCount] = {};

static int IndexOf(int pageId) {
    for (int i = 0; i < kWizardPageCount; ++i)
        if (WizardPageIds[i] == pageId) return i;
    return -1;
}

bool IsWizardPageId(int pageId) { return IndexOf(pageId) >= 0; }

bool RegisterWizardPage(int pageId, WizardPageFactory factory) {
    int i = IndexOf(pageId);
    if (i < 0) return false;
    g_factories[i] = factory;
    return true;
}

WizardPageFactory GetWizardPageFactory(int pageId) {
    int i = IndexOf(pageId);
    return i < 0 ? nullptr : g_factories[i];
}

// Policy values the pages could not take, for the administrator: in the log
// beside the summary.
static void LogRefusedPolicies() {
    if (ActivePolicies.Refused.empty() || FaxSettings.DataDir.IsEmpty()) return;
    LogFile log;
    if (!log.Open(std::string(FaxSettings.DataDir) + "\\faxwiz.log")) return;
    for (const std::string& line : ActivePolicies.Refused) log.Line("policy " + line);
}

static void BeginWait() {
    if (CWinApp* app = AfxGetApp()) app->BeginWaitCursor();
}

static void EndWait() {
    if (CWinApp* app = AfxGetApp()) app->EndWaitCursor();
}

WizardController::WizardController(int firstPageId) : CurrentPageId(firstPageId), pages_() {}

WizardController::~WizardController() {
    for (WizardPage*& page : pages_) {
        delete page;
        page = nullptr;
    }
}

WizardPage* WizardController::Find(int pageId) const {
    int i = IndexOf(pageId);
    return i < 0 ? nullptr : pages_[i];
}

void WizardController::Run() {
    if (WizardPalette) {  // left from an earlier run
        DeleteObject(WizardPalette);
        WizardPalette = nullptr;
    }
    if (HDC screen = GetDC(nullptr)) {
        HBITMAP bitmap = LoadBitmapResource(AfxGetResourceHandle(),
                                            MAKEINTRESOURCEA(kPaletteArtwork), screen,
                                            &WizardPalette, TRUE);
        if (bitmap) DeleteObject(bitmap);
        ReleaseDC(nullptr, screen);
    }
    TimingMark("palette");

    BeginWait();
    FaxSettings.LoadFaxSettings();
    LogRefusedPolicies();
    TimingMark("settings loaded");
    // Built after loading: a page may choose its route from the settings.
    for (int i = 0; i < kWizardPageCount; ++i)
        pages_[i] = g_factories[i] ? g_factories[i](nullptr) : nullptr;
    EndWait();
    TimingMark("page objects");

    while (CurrentPageId != 0) {
        WizardPage* page = Find(CurrentPageId);
        CurrentPageId = page ? page->RunPage() : 0;
    }

    BeginWait();
    for (WizardPage*& page : pages_) {
        delete page;
        page = nullptr;
    }
    if (WizardCancelled == 0) {
        int printerTookAll = 0;
        FaxSettings.SaveFaxSettings(&printerTookAll);
        // For inventory: what this configuration did.
        RecordSetupStatus("wizard", 0, printerTookAll != 0, FaxSettings.DeviceId);
    }
    if (WizardPalette) {
        DeleteObject(WizardPalette);
        WizardPalette = nullptr;
    }
    EndWait();
}
