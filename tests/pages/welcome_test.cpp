#include <gtest/gtest.h>

#include <string>

#include "common/expand.h"
#include "framework/resource.h"
#include "pages/pagelist.h"
#include "settings/faxsettings.h"
#include "tests/support/test_support.h"
#include "tests/support/ui_driver.h"
#include "wizard/controller.h"

using wiztest::UiDriver;

namespace {

// Stands in for the name page, which is written separately.
class ProbePage : public WizardPage {
public:
    explicit ProbePage(CWnd* parent) : WizardPage(2808, 2827, parent) { NextId = 0; }

protected:
    void OnNext() { GoNext(); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ProbePage, WizardPage)
    ON_BN_CLICKED(kNextButton, OnNext)
END_MESSAGE_MAP()

// Every text of a page, one per line.
std::string AllTexts(HWND dialog) {
    std::string all = UiDriver::TextOf(dialog) + "\n";
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        all += UiDriver::TextOf(c) + "\n";
    return all;
}

// The welcome page from a real resource module, inside the engine.
class WelcomeTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        module_ = LoadLibraryA((wiztest::BinDir() + "\\FXWRES." + GetParam()).c_str());
        ASSERT_NE(nullptr, module_) << "resource module " << GetParam() << " not built";
        AfxSetResourceHandle(module_);
        SetLibraryResourceInstance(module_);
        PagePosition = {0, 0, 0};
        WizardCancelled = 0;
        for (int id : WizardPageIds) RegisterWizardPage(id, nullptr);
        RegisterWizardPages();
        FaxSettings.ProdIniFile = dir_.File("product.ini").c_str();
        FaxSettings.DeviceIniPath = dir_.File("klcv_reg.ini").c_str();
        FaxSettings.DeviceClient = 0;
        FaxSettings.ObjectChannel = 0;
    }
    void TearDown() override {
        for (int id : WizardPageIds) RegisterWizardPage(id, nullptr);
        WizardCancelled = 0;
        AfxSetResourceHandle(nullptr);
        SetLibraryResourceInstance(nullptr);
        FreeLibrary(module_);
    }
    bool Saved() {
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, FaxSettings.ProdIniFile);
        return wiztest::ReadFile(dir_.File("product.ini")).find("UserName=") != std::string::npos;
    }
    void Run() {
        WizardController controller(kFirstPageId);
        controller.Run();
    }

    HMODULE module_ = nullptr;
    wiztest::TempDir dir_;
};

}  // namespace

TEST_P(WelcomeTest, ShowsItsTextsAndArtworkAndNextLeadsTo2808) {
    RegisterWizardPage(2808, MakeWizardPage<ProbePage>);
    std::string texts;
    COLORREF art = 0, background = 0;
    bool backEnabled = true;
    UiDriver ui;
    ui.When(2805)
        .Do([&](HWND h) {
            texts = AllTexts(h);
            backEnabled = IsWindowEnabled(GetDlgItem(h, kBackButton)) != 0;
            RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
            RECT frame;
            GetWindowRect(GetDlgItem(h, kArtworkFrame), &frame);
            MapWindowPoints(nullptr, h, (POINT*)&frame, 2);
            HDC dc = GetDC(h);
            art = GetPixel(dc, (frame.left + frame.right) / 2, (frame.top + frame.bottom) / 2);
            background = GetPixel(dc, frame.right + 2, frame.top + 2);
            ReleaseDC(h, dc);
        })
        .Click(kNextButton);
    ui.When(2808).Click(kNextButton);
    Run();
    EXPECT_EQ("2805 2808", ui.Log());
    EXPECT_EQ(std::string::npos, texts.find('$')) << texts;
    EXPECT_GT(texts.size(), 100u);
    EXPECT_NE(background, art);  // the artwork is there
    EXPECT_FALSE(backEnabled);   // the template offers no Back on the first page
    EXPECT_TRUE(Saved());
}

TEST_P(WelcomeTest, BackEndsTheWizardWithTheSettingsSaved) {
    UiDriver ui;
    ui.When(2805)
        .Do([](HWND h) { EnableWindow(GetDlgItem(h, kBackButton), TRUE); })
        .Click(kBackButton);
    Run();
    EXPECT_EQ("2805", ui.Log());
    EXPECT_EQ(0, WizardCancelled);
    EXPECT_TRUE(Saved());
}

TEST_P(WelcomeTest, CancelAsksAndConfirmedQuitsWithoutSaving) {
    std::string question;
    UiDriver ui;
    ui.When(2805).Click(IDCANCEL);
    ui.When(2820).Do([&](HWND h) { question = AllTexts(h); }).Click(IDOK);
    Run();
    EXPECT_EQ("2805 2820", ui.Log());
    EXPECT_EQ(std::string::npos, question.find('$')) << question;
    EXPECT_EQ(1, WizardCancelled);
    EXPECT_FALSE(Saved());
}

INSTANTIATE_TEST_SUITE_P(Languages, WelcomeTest, ::testing::Values("ENU", "DEU", "FRA", "ESP"));
