#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "settings/faxsettings.h"
#include "tests/support/ui_driver.h"
#include "tests/wizard/wizard_fixture.h"

using wiztest::UiDriver;

namespace {

struct Route {
    int next;
    int back;
};

// What the test pages do and what became of them.
std::map<int, Route> g_routes;
std::vector<std::string> g_events;
std::map<int, std::vector<const void*>> g_shownObjects;

// A page with a route of the test's choosing.
class ScriptedPage : public WizardPage {
public:
    ScriptedPage(int id, CWnd* parent) : WizardPage(id, id == 2805 ? 2833 : 2827, parent) {
        EXPECT_EQ(nullptr, parent);
        Route route = g_routes.count(id) ? g_routes[id] : Route{0, 0};
        NextId = route.next;
        BackId = route.back;
        g_events.push_back("new " + std::to_string(id));
    }
    ~ScriptedPage() override { g_events.push_back("delete " + std::to_string(PageId)); }

protected:
    BOOL OnInitDialog() override {
        WizardPage::OnInitDialog();
        g_shownObjects[PageId].push_back(this);
        return TRUE;
    }
    void OnNext() { GoNext(); }
    void OnBack() { GoBack(); }
    void OnPaint() { DrawArtwork(); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ScriptedPage, WizardPage)
    ON_BN_CLICKED(kBackButton, OnBack)
    ON_BN_CLICKED(kNextButton, OnNext)
    ON_WM_PAINT()
END_MESSAGE_MAP()

template <int Id>
WizardPage* MakeScripted(CWnd* parent) {
    return new ScriptedPage(Id, parent);
}

class EngineTest : public wiztest::WizardFixture {
protected:
    void SetUp() override {
        WizardFixture::SetUp();
        g_routes.clear();
        g_events.clear();
        g_shownObjects.clear();
        // The settings record keeps to this test's own files and makes no
        // device calls.
        FaxSettings.ProdIniFile = dir_.File("product.ini").c_str();
        FaxSettings.DeviceIniPath = dir_.File("klcv_reg.ini").c_str();
        FaxSettings.DeviceId = 7;
        FaxSettings.DeviceClient = 0;
        FaxSettings.ObjectChannel = 0;
        WritePrivateProfileStringA("Setup", "TTIName", "Loaded Name", FaxSettings.ProdIniFile);
    }
    void TearDown() override {
        FlushIni();
        WizardFixture::TearDown();
    }

    void RegisterAll() {
        RegisterWizardPage(2805, MakeScripted<2805>);
        RegisterWizardPage(2808, MakeScripted<2808>);
        RegisterWizardPage(2810, MakeScripted<2810>);
        RegisterWizardPage(2811, MakeScripted<2811>);
        RegisterWizardPage(2812, MakeScripted<2812>);
        RegisterWizardPage(2813, MakeScripted<2813>);
        RegisterWizardPage(2814, MakeScripted<2814>);
        RegisterWizardPage(2815, MakeScripted<2815>);
        RegisterWizardPage(2817, MakeScripted<2817>);
        RegisterWizardPage(2809, MakeScripted<2809>);
        RegisterWizardPage(2818, MakeScripted<2818>);
        RegisterWizardPage(2821, MakeScripted<2821>);
    }

    void FlushIni() {
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, FaxSettings.ProdIniFile);
    }

    // Whether the run saved the settings: only saving writes "UserName".
    bool Saved() {
        FlushIni();
        char value[64] = {};
        GetPrivateProfileStringA("Setup", "UserName", "", value, sizeof value,
                                 FaxSettings.ProdIniFile);
        return value[0] != '\0';
    }

    void RunWizard() {
        WizardController controller(kFirstPageId);
        controller.Run();
        EXPECT_EQ(0, controller.CurrentPageId);
    }

    wiztest::TempDir dir_;
};

std::vector<std::string> Built(const char* verb) {
    std::vector<std::string> out;
    for (int id : WizardPageIds) out.push_back(std::string(verb) + " " + std::to_string(id));
    return out;
}

}  // namespace

TEST_F(EngineTest, WelcomeComesFirstAndNextLeadsOnUntilAnIdOutsideTheTable) {
    RegisterAll();
    g_routes[2805] = {2808, 0};
    g_routes[2808] = {2816, 2805};  // 2816 is no page
    UiDriver ui;
    ui.When(2805).Click(kNextButton);
    ui.When(2808).Click(kNextButton);
    RunWizard();
    EXPECT_EQ("2805 2808", ui.Log());
    EXPECT_EQ(0, WizardCancelled);
    EXPECT_TRUE(Saved());
    // Loaded before the pages were built, saved after they were deleted.
    EXPECT_EQ("Loaded Name", std::string(FaxSettings.UserName));
}

TEST_F(EngineTest, BackFromTheWelcomePageEndsTheRunWithTheSettingsSaved) {
    RegisterAll();
    g_routes[2805] = {2808, 0};
    UiDriver ui;
    ui.When(2805).Click(kBackButton);
    RunWizard();
    EXPECT_EQ("2805", ui.Log());
    EXPECT_TRUE(Saved());
}

TEST_F(EngineTest, ConfirmedCancelSavesNothingYetEveryPageIsBuiltAndDeleted) {
    RegisterAll();
    g_routes[2805] = {2808, 0};
    UiDriver ui;
    ui.When(2805).Click(IDCANCEL);
    ui.When(2820).Click(IDOK);
    RunWizard();
    EXPECT_EQ("2805 2820", ui.Log());
    EXPECT_EQ(1, WizardCancelled);
    EXPECT_FALSE(Saved());
    std::vector<std::string> expected = Built("new");
    std::vector<std::string> deleted = Built("delete");
    expected.insert(expected.end(), deleted.begin(), deleted.end());
    EXPECT_EQ(expected, g_events);
    EXPECT_EQ(nullptr, WizardPalette);
}

TEST_F(EngineTest, CancelAnsweredNoKeepsThePageOpen) {
    RegisterAll();
    g_routes[2805] = {2808, 0};
    UiDriver ui;
    HWND welcome = nullptr;
    ui.When(2805).Do([&](HWND h) { welcome = h; }).Click(IDCANCEL);
    ui.When(2820).Click(IDCANCEL).Do([&](HWND) {
        PostMessageA(GetDlgItem(welcome, kNextButton), BM_CLICK, 0, 0);
    });
    ui.When(2808).Click(kNextButton);
    RunWizard();
    EXPECT_EQ("2805 2820 2808", ui.Log());
    EXPECT_EQ(0, WizardCancelled);
    EXPECT_TRUE(Saved());
}

TEST_F(EngineTest, CloseBoxAndEscapeAskToo) {
    RegisterAll();
    {
        UiDriver ui;
        ui.When(2805).Close();
        ui.When(2820).Click(IDOK);
        RunWizard();
        EXPECT_EQ("2805 2820", ui.Log());
        EXPECT_EQ(1, WizardCancelled);
    }
    WizardCancelled = 0;
    {
        UiDriver ui;
        ui.When(2805).Key(VK_ESCAPE);
        ui.When(2820).Click(IDOK);
        RunWizard();
        EXPECT_EQ("2805 2820", ui.Log());
        EXPECT_EQ(1, WizardCancelled);
    }
    EXPECT_FALSE(Saved());
}

TEST_F(EngineTest, EnterReachingOkGoesOnWithoutKeepingThePosition) {
    RegisterAll();
    g_routes[2805] = {2808, 0};
    RECT welcome = {}, next = {};
    UiDriver ui;
    ui.When(2805).Do([&](HWND h) { GetWindowRect(h, &welcome); }).MoveTo(5, 6).Key(VK_RETURN);
    ui.When(2808).Do([&](HWND h) { GetWindowRect(h, &next); }).Click(kNextButton);
    RunWizard();
    EXPECT_EQ("2805 2808", ui.Log());
    EXPECT_EQ(welcome.left, next.left);  // centred still, not where it was moved
    EXPECT_EQ(welcome.top, next.top);
}

TEST_F(EngineTest, PagesOpenWhereTheUserLeftThePreviousOne) {
    RegisterAll();
    g_routes[2805] = {2808, 0};
    g_routes[2808] = {2809, 2805};
    RECT welcome = {}, second = {}, third = {};
    UiDriver ui;
    ui.When(2805).Do([&](HWND h) { GetWindowRect(h, &welcome); }).MoveTo(120, 90).Click(
        kNextButton);
    ui.When(2808).Do([&](HWND h) { GetWindowRect(h, &second); }).MoveTo(15, 25).Click(
        kNextButton);
    ui.When(2809).Do([&](HWND h) { GetWindowRect(h, &third); }).Click(kNextButton);
    RunWizard();
    EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - (welcome.right - welcome.left)) / 2, welcome.left);
    EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - (welcome.bottom - welcome.top)) / 2, welcome.top);
    EXPECT_EQ(120, second.left);
    EXPECT_EQ(90, second.top);
    EXPECT_EQ(15, third.left);
    EXPECT_EQ(25, third.top);
}

TEST_F(EngineTest, MissingTemplatePassesOverThePage) {
    RegisterAll();
    g_routes[2805] = {2810, 0};
    g_routes[2810] = {2811, 2805};  // the test module has no template 2810
    UiDriver ui;
    ui.When(2805).Click(kNextButton);
    ui.When(2811).Click(kNextButton);
    RunWizard();
    EXPECT_EQ("2805 2811", ui.Log());
    EXPECT_TRUE(Saved());
}

TEST_F(EngineTest, APageShownAgainIsTheSameObject) {
    RegisterAll();
    g_routes[2805] = {2808, 0};
    g_routes[2808] = {0, 2805};
    UiDriver ui;
    ui.When(2805).Click(kNextButton);
    ui.When(2808).Click(kBackButton);
    ui.When(2805).Click(kNextButton);
    ui.When(2808).Click(kNextButton);
    RunWizard();
    EXPECT_EQ("2805 2808 2805 2808", ui.Log());
    ASSERT_EQ(2u, g_shownObjects[2805].size());
    EXPECT_EQ(g_shownObjects[2805][0], g_shownObjects[2805][1]);
    ASSERT_EQ(2u, g_shownObjects[2808].size());
    EXPECT_EQ(g_shownObjects[2808][0], g_shownObjects[2808][1]);
}

TEST_F(EngineTest, AnIdWithoutPageObjectEndsTheRunAsFinished) {
    // Only the welcome page exists; its Next leads to a page not written yet.
    RegisterWizardPage(2805, MakeScripted<2805>);
    g_routes[2805] = {2808, 0};
    UiDriver ui;
    ui.When(2805).Click(kNextButton);
    RunWizard();
    EXPECT_EQ("2805", ui.Log());
    EXPECT_TRUE(Saved());
    EXPECT_EQ((std::vector<std::string>{"new 2805", "delete 2805"}), g_events);
}

TEST_F(EngineTest, TheFirstPageArtworkGivesTheWizardPalette) {
    RegisterAll();
    std::vector<PALETTEENTRY> entries;
    UiDriver ui;
    ui.When(2805)
        .Do([&](HWND) {
            ASSERT_NE(nullptr, WizardPalette);
            entries.resize(GetPaletteEntries(WizardPalette, 0, 0, nullptr));
            GetPaletteEntries(WizardPalette, 0, (UINT)entries.size(), entries.data());
        })
        .Click(kBackButton);
    RunWizard();
    ASSERT_EQ(256u, entries.size());
    EXPECT_EQ(200, entries[1].peRed);  // colour 1 of the solid red artwork
    EXPECT_EQ(30, entries[1].peGreen);
    EXPECT_EQ(40, entries[1].peBlue);
    EXPECT_EQ(nullptr, WizardPalette);  // deleted at the end of the run
}

TEST_F(EngineTest, QuitDuringAPageRunsOutAlongTheNextIdsAndSaves) {
    RegisterAll();
    g_routes[2805] = {2808, 0};
    g_routes[2808] = {2809, 2805};
    g_routes[2809] = {0, 2808};
    UiDriver ui;
    ui.When(2805).Do([](HWND) { PostQuitMessage(0); });
    RunWizard();
    // Each later page opened and closed at once on the quit.
    EXPECT_EQ("2805 2808 2809", ui.Log());
    EXPECT_EQ(0, WizardCancelled);
    EXPECT_TRUE(Saved());
}

TEST(PageTable, HoldsTheTwelvePagesOnly) {
    EXPECT_EQ((std::vector<int>{2805, 2808, 2810, 2811, 2812, 2813, 2814, 2815, 2817, 2809, 2818,
                                2821}),
              std::vector<int>(std::begin(WizardPageIds), std::end(WizardPageIds)));
    for (int id : {2806, 2807, 2816, 2819, 2820, 0, -1})
        EXPECT_FALSE(RegisterWizardPage(id, MakeScripted<2805>)) << id;
    EXPECT_TRUE(RegisterWizardPage(2821, MakeScripted<2821>));
    EXPECT_EQ(&MakeScripted<2821>, GetWizardPageFactory(2821));
    EXPECT_TRUE(RegisterWizardPage(2821, nullptr));
    EXPECT_EQ(nullptr, GetWizardPageFactory(2821));
}
