// The application object's own decisions: the command line, the device and
// model it settles on, the one-copy counter and its section in the program.
#include <gtest/gtest.h>

#include <limits.h>

#include <algorithm>
#include <vector>

#include <string>

#include "app/wizardapp.h"
#include "common/globalstrings.h"
#include "common/registry/devices.h"
#include "common/registry/layout.h"
#include "framework/resource.h"
#include "settings/faxsettings.h"
#include "tests/common/config_support.h"
#include "tests/support/test_support.h"
#include "tests/support/ui_driver.h"
#include "wizard/controller.h"

using namespace wiztest;
using wiztest::UiDriver;

namespace {

struct Parsed {
    int deviceGiven;
    long deviceId;
    int modelGiven;
    long modelId;
};

Parsed Parse(const char* line) {
    CommandLineOptions o = ParseCommandLine(line);
    return {o.DeviceGiven, o.DeviceId, o.ModelGiven, o.ModelId};
}

#define EXPECT_PARSED(line, dGiven, dId, mGiven, mId)   \
    do {                                                \
        Parsed p = Parse(line);                         \
        EXPECT_EQ(dGiven, p.deviceGiven) << (line);     \
        EXPECT_EQ(dId, p.deviceId) << (line);           \
        EXPECT_EQ(mGiven, p.modelGiven) << (line);      \
        EXPECT_EQ(mId, p.modelId) << (line);            \
    } while (0)

}  // namespace

TEST(CommandLine, DeviceSpellings) {
    EXPECT_PARSED("-d 77", 1, 77, 0, 0);
    EXPECT_PARSED("-d77", 1, 77, 0, 0);
    EXPECT_PARSED("/d77", 1, 77, 0, 0);
    EXPECT_PARSED("-d7 7", 1, 77, 0, 0);
    EXPECT_PARSED("  - d 7 7  ", 1, 77, 0, 0);
    EXPECT_PARSED("--//d5", 1, 5, 0, 0);  // runs of delimiters make no empty tokens
    EXPECT_PARSED("-d+5", 1, 5, 0, 0);
}

TEST(CommandLine, OddTokens) {
    EXPECT_PARSED("-d-5", 1, 0, 0, 0);  // "d" without digits, then a stray "5"
    EXPECT_PARSED("-dx", 1, 0, 0, 0);
    EXPECT_PARSED("-D7", 0, 0, 0, 0);
    EXPECT_PARSED("-M7", 0, 0, 0, 0);
    EXPECT_PARSED("-l9 -q3", 0, 0, 0, 0);
    EXPECT_PARSED("d7", 1, 7, 0, 0);  // the text before the first delimiter is a token too
    EXPECT_PARSED("-d7x9", 1, 7, 0, 0);
    EXPECT_PARSED("-d\t7", 1, 7, 0, 0);    // leading white space of the number is skipped
    EXPECT_PARSED("-d7\t7", 1, 7, 0, 0);   // tabs are not dropped like blanks
    EXPECT_PARSED("-d99999999999", 1, LONG_MAX, 0, 0);
    EXPECT_PARSED("", 0, 0, 0, 0);
    EXPECT_PARSED(nullptr, 0, 0, 0, 0);
}

TEST(CommandLine, LaterOptionWinsAndBothCanBeGiven) {
    EXPECT_PARSED("-d3 -d4", 1, 4, 0, 0);
    EXPECT_PARSED("-m7 -d9", 1, 9, 1, 7);
    EXPECT_PARSED("/m12/m13", 0, 0, 1, 13);
}

TEST(CommandLine, CutAt255Characters) {
    // 252 characters and "-d78": what is left after the cut ends in "-d7".
    std::string line = "-l" + std::string(250, '1') + "-d78";
    EXPECT_PARSED(line.c_str(), 1, 7, 0, 0);
    // Blanks are dropped before counting.
    line = "-l" + std::string(249, '1') + std::string(300, ' ') + "-d78";
    EXPECT_PARSED(line.c_str(), 1, 78, 0, 0);
    // A line of any length is read safely.
    std::string huge(100000, '-');
    EXPECT_PARSED((huge + "d5").c_str(), 0, 0, 0, 0);
}

// The device and model follow from the command line and the registered devices.
class Settle : public ::testing::Test {
protected:
    void SetUp() override {
        FreeGlobalStrings();
        dir_.Write("prodinfo.ini", tree_.Section());
        LoadRegistryPaths(nullptr, dir_.File("prodinfo.ini").c_str(), nullptr);
        ASSERT_TRUE(SetRegString(HKEY_LOCAL_MACHINE, tree_.Key("\\Models"), "0", "Alpha 100"));
        ASSERT_TRUE(SetRegString(HKEY_LOCAL_MACHINE, tree_.Key("\\Devices\\0"), "DefDevID", "5"));
        ASSERT_TRUE(SetRegString(HKEY_LOCAL_MACHINE, tree_.Key("\\Devices\\5"), "Model", "Alpha 100"));
        ASSERT_TRUE(SetRegString(HKEY_LOCAL_MACHINE, tree_.Key("\\Devices\\6"), "Model", "Beta 200"));
        FaxSettings.DeviceId = -1;
    }
    void TearDown() override {
        FreeGlobalStrings();
        ResetRegistryPaths();
        FaxSettings.DeviceId = 0;
    }
    void Run(const char* line) {
        app_.TakeCommandLine(line);
        app_.SettleDeviceAndModel();
        EXPECT_EQ(app_.DeviceId, FaxSettings.DeviceId);
    }

    TempDir dir_;
    OwnRegistryTree tree_;
    WizardApp app_;
    const long alpha_ = ModelIdFromName("Alpha 100");
    const long beta_ = ModelIdFromName("Beta 200");
};

TEST_F(Settle, DefaultDeviceAndItsModel) {
    Run("");
    EXPECT_EQ(5, app_.DeviceId);
    EXPECT_EQ(alpha_, app_.ModelId);
    EXPECT_EQ(0, app_.DeviceGiven);
    EXPECT_EQ(0, app_.ModelGiven);
}

TEST_F(Settle, DeviceGivenTakesItsModel) {
    Run("-d6");
    EXPECT_EQ(6, app_.DeviceId);
    EXPECT_EQ(beta_, app_.ModelId);
    // The device wins over a model given with it.
    Run("-m7 -d6");
    EXPECT_EQ(6, app_.DeviceId);
    EXPECT_EQ(beta_, app_.ModelId);
    // A device without a registration takes the first model.
    Run("-d42");
    EXPECT_EQ(42, app_.DeviceId);
    EXPECT_EQ(alpha_, app_.ModelId);
}

TEST_F(Settle, ModelGivenFindsItsDevice) {
    Run(("-m" + std::to_string(beta_)).c_str());
    EXPECT_EQ(6, app_.DeviceId);
    EXPECT_EQ(beta_, app_.ModelId);
    Run("-m7");
    EXPECT_EQ(0, app_.DeviceId);
    EXPECT_EQ(7, app_.ModelId);
}

TEST_F(Settle, ModelIdIsZeroExtended) {
    // A model name whose id has the top bit set stays positive.
    ASSERT_TRUE(SetRegString(HKEY_LOCAL_MACHINE, tree_.Key("\\Devices\\8"), "Model", "\xF0\xF0"));
    Run("-d8");
    EXPECT_EQ(0xF0F0, app_.ModelId);
}

TEST(Instance, OnlyTheFirstClaimCounts) {
    ASSERT_EQ(0u, InstanceCounter);
    EXPECT_TRUE(ClaimFirstInstance());
    EXPECT_EQ(1u, InstanceCounter);
    EXPECT_FALSE(ClaimFirstInstance());
    EXPECT_FALSE(ClaimFirstInstance());
    // A refused claim does not count.
    EXPECT_EQ(1u, InstanceCounter);
}

TEST(Instance, ProgramSharesItsCounterSection) {
    std::string image = ReadFile(BinDir() + "\\faxwiz.exe");
    ASSERT_GT(image.size(), 0x400u) << "faxwiz.exe not built";
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image.data());
    ASSERT_EQ(IMAGE_DOS_SIGNATURE, dos->e_magic);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(image.data() + dos->e_lfanew);
    ASSERT_EQ(IMAGE_SUBSYSTEM_WINDOWS_GUI, nt->OptionalHeader.Subsystem);
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    const IMAGE_SECTION_HEADER* wiz = nullptr;
    for (int i = 0; i < nt->FileHeader.NumberOfSections; ++i)
        if (std::string(reinterpret_cast<const char*>(section[i].Name), 3) == "WIZ" &&
            section[i].Name[3] == 0)
            wiz = &section[i];
    ASSERT_NE(nullptr, wiz) << "no section WIZ";
    const DWORD wanted = IMAGE_SCN_MEM_SHARED | IMAGE_SCN_MEM_READ | IMAGE_SCN_MEM_WRITE;
    EXPECT_EQ(wanted, wiz->Characteristics & wanted);
    EXPECT_GE(wiz->Misc.VirtualSize, 4u);
}

namespace {

BOOL CALLBACK CollectType(HMODULE, LPSTR type, LONG_PTR list) {
    reinterpret_cast<std::vector<UINT_PTR>*>(list)->push_back(
        IS_INTRESOURCE(type) ? (UINT_PTR)type : 0);
    return TRUE;
}

}  // namespace

TEST(Instance, ProgramCarriesItsIconManifestVersionAndMissingModuleMessage) {
    HMODULE image = LoadLibraryExA((BinDir() + "\\faxwiz.exe").c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, image);
    std::vector<UINT_PTR> types;
    EnumResourceTypesA(image, CollectType, reinterpret_cast<LONG_PTR>(&types));
    std::sort(types.begin(), types.end());
    std::vector<UINT_PTR> expected = {(UINT_PTR)RT_ICON, (UINT_PTR)RT_GROUP_ICON,
                                      (UINT_PTR)RT_VERSION, (UINT_PTR)RT_STRING,
                                      (UINT_PTR)RT_MANIFEST};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, types);
    EXPECT_NE(nullptr, FindResourceA(image, MAKEINTRESOURCEA(1), RT_GROUP_ICON));
    // No page, string range or artwork: those come from the resource module.
    char text[512] = "";
    EXPECT_GT(LoadStringA(image, IDS_NO_LANGUAGE_FILES, text, sizeof text), 0);
    EXPECT_NE(nullptr, strstr(text, "install the product again"));
    FreeLibrary(image);
}

// The icon group (id 1) holds an image for each size Windows picks at 100 to
// 200 per cent (small, large, Explorer's views), so none is scaled from
// another and blurred.
TEST(Instance, IconCarriesEverySizeWindowsAsksFor) {
    HMODULE image = LoadLibraryExA((BinDir() + "\\faxwiz.exe").c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, image);
    HRSRC found = FindResourceA(image, MAKEINTRESOURCEA(1), RT_GROUP_ICON);
    ASSERT_NE(nullptr, found);
    const BYTE* group = static_cast<const BYTE*>(LockResource(LoadResource(image, found)));
    ASSERT_GE(SizeofResource(image, found), 6u);
    WORD count = *reinterpret_cast<const WORD*>(group + 4);
    ASSERT_GE(SizeofResource(image, found), 6u + 14u * count);
    std::vector<int> sizes;
    for (WORD i = 0; i < count; ++i) {
        const BYTE* entry = group + 6 + 14 * i;  // width, height, colours, ..., id
        int width = entry[0] ? entry[0] : 256;
        int height = entry[1] ? entry[1] : 256;
        EXPECT_EQ(width, height);
        sizes.push_back(width);
        // Each image is there and has that size.
        WORD id = *reinterpret_cast<const WORD*>(entry + 12);
        HRSRC icon = FindResourceA(image, MAKEINTRESOURCEA(id), RT_ICON);
        ASSERT_NE(nullptr, icon) << width;
        const BITMAPINFOHEADER* header =
            static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(image, icon)));
        EXPECT_EQ(width, header->biWidth);
        EXPECT_EQ(32, header->biBitCount) << width;
    }
    FreeLibrary(image);
    std::sort(sizes.begin(), sizes.end());
    EXPECT_EQ((std::vector<int>{16, 20, 24, 32, 40, 48, 64, 256}), sizes);
}

namespace {

// The process manifest (id 1) of faxwiz.exe; empty when it has none.
std::string ProgramManifest() {
    HMODULE image = LoadLibraryExA((BinDir() + "\\faxwiz.exe").c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE);
    if (!image) return "";
    std::string manifest;
    if (HRSRC found = FindResourceA(image, MAKEINTRESOURCEA(1), RT_MANIFEST)) {
        HGLOBAL loaded = LoadResource(image, found);
        manifest.assign(static_cast<const char*>(LockResource(loaded)), SizeofResource(image, found));
    }
    FreeLibrary(image);
    return manifest;
}

}  // namespace

// The process manifest (id 1): elevated, so that no write of the product's
// tree or INI can land in a VirtualStore; the system's controls; the
// Windows versions it was made for.
TEST(Instance, ManifestAsksForAdministratorCommonControls6AndTheWindowsVersions) {
    std::string manifest = ProgramManifest();
    ASSERT_FALSE(manifest.empty());
    EXPECT_NE(std::string::npos, manifest.find("level=\"requireAdministrator\""));
    EXPECT_NE(std::string::npos, manifest.find("uiAccess=\"false\""));
    EXPECT_NE(std::string::npos, manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""));
    for (const char* os : {"e2011457-1546-43c5-a5fe-008deee3d3f0", "35138b9a-5d96-4fbd-8e2d-a2440225f93a",
                           "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38", "1f676c76-80e1-4239-95bb-83d0f6d0da78",
                           "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"})
        EXPECT_NE(std::string::npos, manifest.find(std::string("<supportedOS Id=\"{") + os + "}\"/>")) << os;
#ifdef _WIN64
    EXPECT_NE(std::string::npos, manifest.find("processorArchitecture=\"amd64\""));
#else
    EXPECT_NE(std::string::npos, manifest.find("processorArchitecture=\"x86\""));
#endif
}

// DPI awareness: Windows reads each setting only in its own namespace, inside
// the asm.v3 windowsSettings, so a misplaced one would leave the pages
// blurred by the system's bitmap scaling. Per monitor v2 or system-aware,
// never per monitor v1, whose dialogs do not rescale.
TEST(Instance, ManifestDeclaresPerMonitorV2ElseSystemAwarenessInItsNamespaces) {
    std::string manifest = ProgramManifest();
    ASSERT_FALSE(manifest.empty());
    size_t open = manifest.find("<asmv3:windowsSettings>");
    size_t close = manifest.find("</asmv3:windowsSettings>");
    ASSERT_NE(std::string::npos, open);
    ASSERT_NE(std::string::npos, close);
    EXPECT_NE(std::string::npos, manifest.find("xmlns:asmv3=\"urn:schemas-microsoft-com:asm.v3\""));
    const char* settings[] = {
        "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>",
        "<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">"
        "PerMonitorV2, System</dpiAwareness>",
    };
    for (const char* setting : settings) {
        size_t at = manifest.find(setting);
        EXPECT_NE(std::string::npos, at) << setting;
        EXPECT_TRUE(at > open && at < close) << setting;
    }
    EXPECT_EQ(std::string::npos, manifest.find("true/pm"));
    EXPECT_EQ(std::string::npos, manifest.find("PerMonitor,"));
    EXPECT_EQ(std::string::npos, manifest.find("PerMonitor<"));
}

TEST(RunWizard, WithoutAnyPageNothingIsSavedAndThePersonIsTold) {
    // The test program has no dialog templates: as with no resource module.
    TempDir dir;
    dir.Write("product.ini", "[Setup]\r\nSetupRun=1\r\n");
    std::string ini = dir.File("product.ini");
    HINSTANCE saved = AfxGetResourceHandle();
    AfxSetResourceHandle(GetModuleHandleA(nullptr));
    FaxSettings.ProdIniFile = ini.c_str();
    FaxSettings.DeviceIniPath = dir.File("reg.ini").c_str();

    WizardApp app;
    int exitCode = -1;
    {
        UiDriver ui;
        ui.WhenMessageBox().Click(IDOK);
        exitCode = app.RunWizard();
        ASSERT_EQ(1u, ui.MessageTexts().size());
        EXPECT_NE(std::string::npos, ui.MessageTexts()[0].find("language files are missing"));
        EXPECT_EQ("Fax Setup", ui.MessageCaptions()[0]);
    }
    EXPECT_EQ(EXIT_NO_LANGUAGE_FILES, exitCode);
    EXPECT_EQ(nullptr, app.Controller);
    EXPECT_EQ("[Setup]\r\nSetupRun=1\r\n", ReadFile(ini));
    EXPECT_EQ("", ReadFile(dir.File("reg.ini")));

    FaxSettings.ProdIniFile = "";
    FaxSettings.DeviceIniPath = "";
    AfxSetResourceHandle(saved);
}
