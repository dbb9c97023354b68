#include "tests/pages/lastpages_fixture.h"

#include <vector>

#include "common/expand.h"
#include "common/registry/layout.h"
#include "common/registry/values.h"
#include "framework/resource.h"
#include "pages/pagelist.h"
#include "settings/faxsettings.h"
#include "wizard/controller.h"
#include "wizard/uiext.h"

namespace wiztest {

// ---------------------------------------------------------------- stand-in pages

BEGIN_MESSAGE_MAP(StandInPage, WizardPage)
    ON_BN_CLICKED(kBackButton, OnBack)
    ON_BN_CLICKED(kNextButton, OnNext)
    ON_WM_PAINT()
END_MESSAGE_MAP()

StandInPage::StandInPage(int id, int next, int back, CWnd* parent)
    : WizardPage(id, 2827, parent) {
    NextId = next;
    BackId = back;
}

// ---------------------------------------------------------------- machine values

namespace {

bool KeyIsEmpty(const std::string& path) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD subkeys = 0, values = 0;
    LONG status = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                   &values, nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && subkeys == 0 && values == 0;
}

}  // namespace

MachineValue::MachineValue(const std::string& key, const char* name) : key_(key), name_(name) {
    HKEY handle;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_.c_str(), 0, KEY_READ, &handle) == ERROR_SUCCESS) {
        DWORD size = 0;
        if (RegQueryValueExA(handle, name, nullptr, &oldType_, nullptr, &size) == ERROR_SUCCESS) {
            std::vector<char> data(size + 1, '\0');
            if (RegQueryValueExA(handle, name, nullptr, &oldType_, (BYTE*)data.data(), &size) ==
                ERROR_SUCCESS) {
                old_.assign(data.data(), size);
                existed_ = true;
            }
        }
        RegCloseKey(handle);
    }
    // The outermost key on the path that is missing now is ours to remove.
    std::string path;
    size_t start = 0;
    while (start <= key_.size()) {
        size_t slash = key_.find('\\', start);
        path = key_.substr(0, slash);
        if (!RegKeyExists(HKEY_LOCAL_MACHINE, path)) {
            firstMadeKey_ = path;
            break;
        }
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
}

MachineValue::~MachineValue() {
    HKEY handle;
    if (existed_) {
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &handle, nullptr) == ERROR_SUCCESS) {
            RegSetValueExA(handle, name_.c_str(), 0, oldType_, (const BYTE*)old_.data(),
                           (DWORD)old_.size());
            RegCloseKey(handle);
        }
        return;
    }
    Remove();
    if (firstMadeKey_.empty()) return;
    // Deepest first, and only keys nobody else has put anything in.
    std::string path = key_;
    for (;;) {
        if (!KeyIsEmpty(path)) break;
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, path.c_str());
        if (path == firstMadeKey_) break;
        size_t slash = path.rfind('\\');
        if (slash == std::string::npos) break;
        path = path.substr(0, slash);
    }
}

void MachineValue::Set(const std::string& value) {
    SetRegString(HKEY_LOCAL_MACHINE, key_, name_.c_str(), value.c_str());
}

void MachineValue::Remove() {
    HKEY handle;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_.c_str(), 0, KEY_ALL_ACCESS, &handle) ==
        ERROR_SUCCESS) {
        RegDeleteValueA(handle, name_.c_str());
        RegCloseKey(handle);
    }
}

// ---------------------------------------------------------------- the fixture

void LastPagesTest::SetUp() {
    module_ = LoadLibraryA((BinDir() + "\\FXWRES." + GetParam()).c_str());
    ASSERT_NE(nullptr, module_) << "resource module " << GetParam() << " not built";
    AfxSetResourceHandle(module_);
    SetLibraryResourceInstance(module_);
    InitUiExtensions(module_);
    PagePosition = {0, 0, 0};
    WizardCancelled = 0;

    for (int id : WizardPageIds) RegisterWizardPage(id, nullptr);
    RegisterWizardPages();
    // The pages around ours, with the routes of the road through the pages.
    RegisterWizardPage(2810, nullptr);
    RegisterWizardPage(2811, nullptr);
    RegisterWizardPage(2812, MakeStandIn<2812, 2815, 2811>);
    RegisterWizardPage(2813, MakeStandIn<2813, 2814, 2810>);

    // The install marks live in a registry tree of this test.
    dir_.Write("prodinfo.ini", tree_.Section());
    ReadRegistryBases(dir_.File("prodinfo.ini").c_str(), "Registry Paths");
    EnsureRegistryPaths();

    FaxSettings.DeviceId = 7;
    FaxSettings.ProdIniFile = dir_.File("product.ini").c_str();
    FaxSettings.DeviceIniPath = dir_.File("klcv_reg.ini").c_str();
    FaxSettings.DataDir = dir_.path().c_str();
    FaxSettings.DeviceClient = 0;
    FaxSettings.ObjectChannel = 0;
    FaxSettings.RingPatternIndex = 0;
    FaxSettings.DeviceOptionSupported = 0;
    FaxSettings.DeviceOption = 0;
    FaxSettings.RingsToAnswer = 1;
    FaxSettings.AutoAnswer = 1;
    // A name, so the settings load never falls back to the machine's owner.
    SetIni("TTIName", "Ann Example");
}

void LastPagesTest::TearDown() {
    for (int id : WizardPageIds) RegisterWizardPage(id, nullptr);
    WizardCancelled = 0;
    FaxSettings.DeviceClient = 0;
    FaxSettings.ObjectChannel = 0;
    device_.reset();
    ResetRegistryPaths();
    InitUiExtensions(nullptr);
    AfxSetResourceHandle(nullptr);
    SetLibraryResourceInstance(nullptr);
    if (module_) FreeLibrary(module_);
}

void LastPagesTest::Run(int firstPage) {
    WizardController controller(firstPage);
    controller.Run();
    EXPECT_EQ(0, controller.CurrentPageId);
}

SimDevice& LastPagesTest::ConnectDevice() {
    // The old device goes first: it takes its folder setting with it.
    FaxSettings.DeviceClient = 0;
    FaxSettings.ObjectChannel = 0;
    device_.reset();
    device_.reset(new SimDevice(FaxSettings.DeviceId));
    long client = 0, channel = 0;
    device_->Connect(client, channel);
    FaxSettings.DeviceClient = client;
    FaxSettings.ObjectChannel = channel;
    return *device_;
}

void LastPagesTest::SetIni(const char* key, const char* value) {
    WritePrivateProfileStringA("Setup", key, value, FaxSettings.ProdIniFile);
}

std::string LastPagesTest::Ini(const char* key) {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, FaxSettings.ProdIniFile);
    char value[256] = "";
    GetPrivateProfileStringA("Setup", key, "(none)", value, sizeof value, FaxSettings.ProdIniFile);
    return value;
}

bool LastPagesTest::Saved() { return Ini("UserName") != "(none)"; }

void LastPagesTest::SetInstall(const char* name, const char* value) {
    ASSERT_TRUE(SetRegString(HKEY_LOCAL_MACHINE, tree_.Key("\\Install"), name, value));
}

std::string LastPagesTest::Install(const char* name) {
    char value[64] = "";
    if (ReadRegString(16, 0, name, value, sizeof value) <= 0) return "(none)";
    return value;
}

std::string LastPagesTest::ModuleText(UINT id) {
    CMacroText text;
    text.LoadEx(id, kNameRangeFirst, StandardValueFlags, nullptr);
    return std::string(text);
}

// ---------------------------------------------------------------- helpers

bool IsChecked(HWND dialog, int id) {
    return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void ClickAt(HWND dialog, int x, int y, WPARAM flags) {
    SendMessageA(dialog, WM_LBUTTONDOWN, flags, MAKELPARAM(x, y));
    SendMessageA(dialog, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

RECT ClientRectOf(HWND dialog, int id) {
    RECT rect = {};
    GetWindowRect(GetDlgItem(dialog, id), &rect);
    MapWindowPoints(nullptr, dialog, (POINT*)&rect, 2);
    return rect;
}

}  // namespace wiztest
