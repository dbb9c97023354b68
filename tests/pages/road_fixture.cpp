#include "tests/pages/road_fixture.h"

#include <map>

#include "common/registry/layout.h"
#include "common/registry/values.h"
#include "common/util.h"

namespace roadtest {

namespace {

// A page that ends the road where it stands.
template <int Id>
class RoadEnd : public WizardPage {
public:
    explicit RoadEnd(CWnd* parent) : WizardPage(Id, 2827, parent) {}
    int RunPage() override {
        Reached().push_back(Id);
        return 0;
    }
};

std::function<void(HWND)> g_whenFree;
const UINT_PTR kFreeTimer = 0x7A11;

void CALLBACK FreeTimerProc(HWND page, UINT, UINT_PTR id, DWORD) {
    if (!IsWindowEnabled(page)) return;  // still behind the message box
    KillTimer(page, id);
    std::function<void(HWND)> action = std::move(g_whenFree);
    g_whenFree = nullptr;
    if (action) action(page);
}

}  // namespace

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t pos = 0, eol;
    while ((eol = text.find("\r\n", pos)) != std::string::npos) {
        lines.push_back(text.substr(pos, eol - pos));
        pos = eol + 2;
    }
    if (pos < text.size()) lines.push_back(text.substr(pos) + "<no CR LF>");
    return lines;
}

std::vector<int>& Reached() {
    static std::vector<int> reached;
    return reached;
}

WizardPageFactory RoadEndFactory(int pageId) {
    static const std::map<int, WizardPageFactory> factories = {
        {2805, MakeWizardPage<RoadEnd<2805>>}, {2808, MakeWizardPage<RoadEnd<2808>>},
        {2809, MakeWizardPage<RoadEnd<2809>>}, {2810, MakeWizardPage<RoadEnd<2810>>},
        {2811, MakeWizardPage<RoadEnd<2811>>}, {2812, MakeWizardPage<RoadEnd<2812>>},
        {2813, MakeWizardPage<RoadEnd<2813>>}, {2814, MakeWizardPage<RoadEnd<2814>>},
        {2815, MakeWizardPage<RoadEnd<2815>>}, {2817, MakeWizardPage<RoadEnd<2817>>},
        {2818, MakeWizardPage<RoadEnd<2818>>}, {2821, MakeWizardPage<RoadEnd<2821>>},
    };
    auto it = factories.find(pageId);
    return it == factories.end() ? nullptr : it->second;
}

void WhenPageIsFree(HWND page, std::function<void(HWND)> action) {
    g_whenFree = action;
    SetTimer(page, kFreeTimer, 20, FreeTimerProc);
}

std::string Text(HWND dialog, int id) {
    return wiztest::UiDriver::TextOf(GetDlgItem(dialog, id));
}

bool Checked(HWND dialog, int id) {
    return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void RoadFixture::Start(const char* language) {
    module_ = LoadLibraryA((wiztest::BinDir() + "\\FXWRES." + language).c_str());
    ASSERT_NE(nullptr, module_) << "resource module " << language << " not built";
    AfxSetResourceHandle(module_);
    SetLibraryResourceInstance(module_);
    InitUiExtensions(module_);
    PagePosition = {0, 0, 0};
    WizardCancelled = 0;
    Reached().clear();
    for (int id : WizardPageIds) RegisterWizardPage(id, nullptr);
    RegisterWizardPages();
    // Pages outside this library's share end the road where they would open.
    EndAt({2814, 2815, 2817, 2809});

    CFaxSettings& f = FaxSettings;
    f.DeviceId = kDeviceId;
    f.ProdIniFile = dir_.File("product.ini").c_str();
    f.DeviceIniPath = dir_.File("KLCV_REG.INI").c_str();
    f.DataDir = dir_.path().c_str();
    f.DeviceClient = 0;
    f.ObjectChannel = 0;
    // Load sets these only with a device connection.
    f.DeviceOptionSupported = 0;
    f.DeviceOption = 0;
    f.RingPatternIndex = 0;
    // A name and company of the INI keep the registered owner out of the run.
    Ini("TTIName=Loaded Name\r\nCompany=Loaded Company\r\n");
}

void RoadFixture::TearDown() {
    for (int id : WizardPageIds) RegisterWizardPage(id, nullptr);
    WizardCancelled = 0;
    FaxSettings.DeviceClient = 0;
    FaxSettings.ObjectChannel = 0;
    FaxSettings.DeviceOptionSupported = 0;
    device_.reset();
    if (tree_) {
        ResetRegistryPaths();
        tree_.reset();
    }
    InitUiExtensions(nullptr);
    AfxSetResourceHandle(nullptr);
    SetLibraryResourceInstance(nullptr);
    if (module_) FreeLibrary(module_);
}

void RoadFixture::Ini(const std::string& setupLines) {
    dir_.Write("product.ini", "[Setup]\r\n" + setupLines);
    FlushIniCache(FaxSettings.ProdIniFile);
}

SimDevice& RoadFixture::ConnectDevice() {
    device_.reset(new SimDevice(kDeviceId));
    device_->Connect(FaxSettings.DeviceClient, FaxSettings.ObjectChannel);
    return *device_;
}

void RoadFixture::EndAt(std::initializer_list<int> pageIds) {
    for (int id : pageIds) RegisterWizardPage(id, RoadEndFactory(id));
}

void RoadFixture::AllRealPages() {
    for (int id : WizardPageIds) RegisterWizardPage(id, nullptr);
    RegisterWizardPages();
}

void RoadFixture::OwnInstallMarks() {
    tree_.reset(new wiztest::OwnRegistryTree);
    dir_.Write("prodinfo.ini", tree_->Section());
    ReadRegistryBases(dir_.File("prodinfo.ini").c_str(), "Registry Paths");
    EnsureRegistryPaths();
}

void RoadFixture::SetInstall(const char* name, const char* value) {
    ASSERT_TRUE(tree_) << "no registry tree of the test's own";
    ASSERT_TRUE(wiztest::SetRegString(HKEY_LOCAL_MACHINE, tree_->Key("\\Install"), name, value));
}

std::string RoadFixture::Install(const char* name) {
    char value[64] = "";
    if (!tree_ || ReadRegString(16, 0, name, value, sizeof value) <= 0) return "<none>";
    return value;
}

void RoadFixture::Run(int firstPage) {
    WizardController controller(firstPage);
    controller.Run();
}

std::string RoadFixture::Prod(const char* key) {
    FlushIniCache(FaxSettings.ProdIniFile);
    char value[512] = "";
    GetPrivateProfileStringA("Setup", key, "<none>", value, sizeof value, FaxSettings.ProdIniFile);
    return value;
}

std::string RoadFixture::Reg(const char* key) {
    FlushIniCache(FaxSettings.DeviceIniPath);
    char section[32];
    wsprintfA(section, "Device: %ld", kDeviceId);
    char value[512] = "";
    GetPrivateProfileStringA(section, key, "<none>", value, sizeof value,
                             FaxSettings.DeviceIniPath);
    return value;
}

std::vector<std::string> RoadFixture::Journal() {
    return device_ ? device_->Journal() : std::vector<std::string>();
}

}  // namespace roadtest
