#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/ui_driver.h"
#include "tests/wizard/wizard_fixture.h"
#include "wizard/dialogtext.h"
#include "wizard/quitconfirm.h"

using wiztest::UiDriver;

namespace {

// A page as the page classes write them: Next, Back, paint.
class PlainPage : public WizardPage {
public:
    PlainPage(int id, int artwork) : WizardPage(id, artwork, nullptr) {
        NextId = 1001;
        BackId = 1002;
    }
    int paints = 0;

protected:
    void OnNext() { GoNext(); }
    void OnBack() { GoBack(); }
    void OnPaint() {
        ++paints;
        DrawArtwork();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(PlainPage, WizardPage)
    ON_BN_CLICKED(kBackButton, OnBack)
    ON_BN_CLICKED(kNextButton, OnNext)
    ON_WM_PAINT()
END_MESSAGE_MAP()

class PageBaseTest : public wiztest::WizardFixture {};

std::string Text(HWND dialog, int id) { return UiDriver::TextOf(GetDlgItem(dialog, id)); }

}  // namespace

COLORREF PixelAt(HWND window, int x, int y) {
    HDC dc = GetDC(window);
    COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return colour;
}

RECT FrameInClient(HWND page) {
    RECT frame;
    GetWindowRect(GetDlgItem(page, kArtworkFrame), &frame);
    MapWindowPoints(nullptr, page, (POINT*)&frame, 2);
    return frame;
}

TEST_F(PageBaseTest, ArtworkFillsTheFrameOfControl5545) {
    UiDriver ui;
    PlainPage page(2808, 2827);
    COLORREF inside = 0, corner = 0, outside = 0;
    ui.When(2808)
        .Do([&](HWND h) {
            RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
            RECT frame = FrameInClient(h);
            inside = PixelAt(h, (frame.left + frame.right) / 2, (frame.top + frame.bottom) / 2);
            corner = PixelAt(h, frame.right - 1, frame.bottom - 1);
            outside = PixelAt(h, frame.right + 3, frame.top + 3);
        })
        .Click(kNextButton);
    EXPECT_EQ(1001, page.RunPage());
    EXPECT_EQ(RGB(20, 40, 210), inside);  // the solid blue artwork, stretched
    EXPECT_EQ(RGB(20, 40, 210), corner);
    EXPECT_NE(RGB(20, 40, 210), outside);
    EXPECT_GE(page.paints, 1);
}

// The artwork is decoded once per showing of the page: a later paint and a
// second showing must still draw it.
TEST_F(PageBaseTest, ArtworkComesBackOnEveryPaintAndShowing) {
    UiDriver ui;
    PlainPage page(2808, 2827);
    std::vector<COLORREF> seen;
    auto paintOver = [&](HWND h) {
        RECT frame = FrameInClient(h);
        HDC dc = GetDC(h);
        HBRUSH red = CreateSolidBrush(RGB(200, 0, 0));
        FillRect(dc, &frame, red);
        DeleteObject(red);
        ReleaseDC(h, dc);
        RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
        seen.push_back(PixelAt(h, (frame.left + frame.right) / 2, (frame.top + frame.bottom) / 2));
    };
    for (int showing = 0; showing < 2; ++showing) {
        ui.When(2808).Do(paintOver).Do(paintOver).Click(kNextButton);
        EXPECT_EQ(1001, page.RunPage());
    }
    ASSERT_EQ(4u, seen.size());
    for (COLORREF colour : seen) EXPECT_EQ(RGB(20, 40, 210), colour);
}

TEST_F(PageBaseTest, MissingArtworkPaintsNothing) {
    UiDriver ui;
    PlainPage page(2808, 4444);
    COLORREF inside = 0, outside = 1;
    ui.When(2808)
        .Do([&](HWND h) {
            RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
            RECT frame = FrameInClient(h);
            inside = PixelAt(h, (frame.left + frame.right) / 2, (frame.top + frame.bottom) / 2);
            outside = PixelAt(h, frame.right + 3, frame.top + 3);
        })
        .Click(kNextButton);
    page.RunPage();
    EXPECT_EQ(outside, inside);  // just the page's background
}

TEST_F(PageBaseTest, PaletteMessagesRealizeTheWizardPalette) {
    UiDriver ui;
    PlainPage page(2808, 2827);
    LRESULT withPalette = -1, without = -1;
    ui.When(2808)
        .Do([&](HWND h) {
            HDC screen = GetDC(nullptr);
            WizardPalette = CreateHalftonePalette(screen);
            ReleaseDC(nullptr, screen);
            withPalette = SendMessageA(h, WM_QUERYNEWPALETTE, 0, 0);
            SendMessageA(h, WM_PALETTECHANGED, (WPARAM)h, 0);  // its own: ignored
            SendMessageA(h, WM_PALETTECHANGED, 0, 0);
            DeleteObject(WizardPalette);
            WizardPalette = nullptr;
            without = SendMessageA(h, WM_QUERYNEWPALETTE, 0, 0);
        })
        .Click(kNextButton);
    page.RunPage();
    EXPECT_EQ(TRUE, withPalette);
    EXPECT_EQ(FALSE, without);  // left to the default handling
}

TEST_F(PageBaseTest, NextBackAndCancelGiveTheNextPageId) {
    {
        UiDriver ui;
        ui.When(2808).Click(kBackButton);
        PlainPage page(2808, 2827);
        EXPECT_EQ(1002, page.RunPage());
    }
    {
        UiDriver ui;
        ui.When(2808).Click(IDCANCEL);
        ui.When(2820).Click(IDOK);
        PlainPage page(2808, 2827);
        EXPECT_EQ(0, page.RunPage());
        EXPECT_EQ(1, WizardCancelled);
    }
    WizardCancelled = 0;
    {
        // A page whose template is missing is passed over: its next id.
        UiDriver ui;
        PlainPage page(2810, 2827);
        EXPECT_EQ(1001, page.RunPage());
        EXPECT_EQ("", ui.Log());
    }
}

TEST_F(PageBaseTest, CancelCloseBoxAndEscapeAskFirst) {
    UiDriver ui;
    PlainPage page(2808, 2827);
    HWND pageWindow = nullptr;
    std::string question, caption;
    ui.When(2808).Do([&](HWND h) { pageWindow = h; }).Click(IDCANCEL);
    ui.When(2820)
        .Read(100, &question)
        .ReadCaption(&caption)
        .Do([&](HWND h) {
            // The question belongs to the page, which waits behind it.
            EXPECT_EQ(pageWindow, GetWindow(h, GW_OWNER));
            EXPECT_FALSE(IsWindowEnabled(pageWindow));
        })
        .Click(IDCANCEL)
        // Answered No, the page stays; then its close box asks again...
        .Do([&](HWND) { PostMessageA(pageWindow, WM_SYSCOMMAND, SC_CLOSE, 0); });
    ui.When(2820).Click(IDCANCEL).Do([&](HWND) {
        // ...and so does Escape.
        PostMessageA(GetDlgItem(pageWindow, kNextButton), WM_KEYDOWN, VK_ESCAPE, 1);
    });
    ui.When(2820).Click(IDOK);
    EXPECT_EQ(0, page.RunPage());
    EXPECT_EQ(1, WizardCancelled);
    EXPECT_EQ("2808 2820 2820 2820", ui.Log());
    EXPECT_EQ("Quit Acme Fax setup?", question);
    EXPECT_EQ("Acme Fax", caption);
}

TEST_F(PageBaseTest, ReferencesAreExpandedExceptInEditsAndComboBoxes) {
    UiDriver ui;
    PlainPage page(2805, 2833);
    std::string caption, title, stat, group, check, edit, unknown, combo;
    int counted = 0;
    ui.When(2805)
        .ReadCaption(&caption)
        .Read(5560, &title)
        .Read(101, &stat)
        .Read(102, &group)
        .Read(103, &check)
        .Read(100, &edit)
        .Read(105, &unknown)
        .Do([&](HWND h) {
            SetDlgItemTextA(h, 104, "$Product$");
            counted = ExpandDialogTexts(h, AfxGetResourceHandle(), kNameRangeFirst,
                                        kNameRangeSecond, StandardValueFlags);
            combo = Text(h, 104);
        })
        .Click(kNextButton);
    page.RunPage();
    EXPECT_EQ("Acme Fax setup", caption);
    EXPECT_EQ("Page of Acme Fax", title);
    EXPECT_EQ("Static Acme Fax FX-100", stat);  // values refer on to further names
    EXPECT_EQ("Group Acme Fax", group);
    EXPECT_EQ("Check Acme Fax", check);
    EXPECT_EQ("$Product$", edit);
    EXPECT_EQ("$Product$", combo);
    EXPECT_EQ("Unknown $Nobody$ stays", unknown);
    // The dialog, the title, four texts and three buttons; not the empty
    // artwork frame, nor the edit and combo box.
    EXPECT_EQ(9, counted);
}

TEST_F(PageBaseTest, LongWindowTextIsExpandedWhole) {
    UiDriver ui;
    PlainPage page(2805, 2833);
    std::string longText(300, 'a'), expanded;
    int hadText = -1, empty = -1;
    ui.When(2805)
        .Do([&](HWND h) {
            HWND text = GetDlgItem(h, 101);
            SetWindowTextA(text, (longText + " $Product$ $Maker$ end").c_str());
            hadText = ExpandWindowText(text, AfxGetResourceHandle(), kNameRangeFirst,
                                       kNameRangeSecond, StandardValueFlags);
            expanded = UiDriver::TextOf(text);
            SetWindowTextA(text, "");
            empty = ExpandWindowText(text, AfxGetResourceHandle(), kNameRangeFirst,
                                     kNameRangeSecond, StandardValueFlags);
        })
        .Click(kNextButton);
    page.RunPage();
    EXPECT_EQ(1, hadText);
    EXPECT_EQ(longText + " Acme Fax Northwind end", expanded);
    EXPECT_EQ(0, empty);
}

TEST_F(PageBaseTest, HeadingIsBoldAndThePageTopmost) {
    UiDriver ui;
    PlainPage page(2808, 2827);
    LONG titleWeight = 0, textWeight = 0;
    DWORD exStyle = 0;
    ui.When(2808)
        .Do([&](HWND h) {
            LOGFONTA font;
            GetObjectA((HFONT)SendDlgItemMessageA(h, kPageTitle, WM_GETFONT, 0, 0), sizeof font,
                       &font);
            titleWeight = font.lfWeight;
            GetObjectA((HFONT)SendDlgItemMessageA(h, kNextButton, WM_GETFONT, 0, 0), sizeof font,
                       &font);
            textWeight = font.lfWeight;
            exStyle = (DWORD)GetWindowLongA(h, GWL_EXSTYLE);
        })
        .Click(kNextButton);
    page.RunPage();
    EXPECT_EQ(FW_BOLD, titleWeight);
    EXPECT_LT(textWeight, FW_BOLD);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
}

TEST_F(PageBaseTest, FirstPageCentredThenWhereTheUserLeftIt) {
    RECT first = {}, second = {}, third = {};
    {
        UiDriver ui;
        ui.When(2808).Do([&](HWND h) { GetWindowRect(h, &first); }).MoveTo(33, 44).Click(kNextButton);
        PlainPage page(2808, 2827);
        page.RunPage();
    }
    int width = first.right - first.left, height = first.bottom - first.top;
    EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - width) / 2, first.left);
    EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - height) / 2, first.top);
    EXPECT_EQ(1, PagePosition.Known);
    EXPECT_EQ(33, PagePosition.Left);
    EXPECT_EQ(44, PagePosition.Top);
    {
        // Enter reaches OK on this page: it ends like Next, but the position
        // it was moved to is not kept.
        UiDriver ui;
        ui.When(2805).Do([&](HWND h) { GetWindowRect(h, &second); }).MoveTo(300, 200).Key(
            VK_RETURN);
        PlainPage page(2805, 2833);
        EXPECT_EQ(1001, page.RunPage());
    }
    EXPECT_EQ(33, second.left);
    EXPECT_EQ(44, second.top);
    EXPECT_EQ(33, PagePosition.Left);
    EXPECT_EQ(44, PagePosition.Top);
    {
        UiDriver ui;
        ui.When(2809).Do([&](HWND h) { GetWindowRect(h, &third); }).MoveTo(50, 60).Click(
            kBackButton);
        PlainPage page(2809, 2827);
        EXPECT_EQ(1002, page.RunPage());
    }
    EXPECT_EQ(33, third.left);
    EXPECT_EQ(50, PagePosition.Left);  // Back keeps the position too
    EXPECT_EQ(60, PagePosition.Top);
}
