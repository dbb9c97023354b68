#include <gtest/gtest.h>

#include <oleacc.h>

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

const COLORREF kSmall = RGB(200, 30, 40), kFits = RGB(30, 160, 60), kLarge = RGB(230, 200, 20),
               kDouble = RGB(20, 40, 210);

// What the frame of a page shows: its middle, the ends of the middle row and
// column, and the frame's corner.
struct FrameLook {
    COLORREF middle, corner;
    int left, right, top, bottom;  // where the middle row and column show the picture
};

FrameLook LookAtFrame(HWND page, COLORREF picture) {
    RedrawWindow(page, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE | RDW_ALLCHILDREN);
    RECT frame = FrameInClient(page);
    int x = (frame.left + frame.right) / 2, y = (frame.top + frame.bottom) / 2;
    FrameLook look = {PixelAt(page, x, y), PixelAt(page, frame.left + 2, frame.top + 2), -1, -1, -1, -1};
    for (int i = frame.left; i < frame.right; ++i)
        if (PixelAt(page, i, y) == picture) {
            if (look.left < 0) look.left = i;
            look.right = i + 1;
        }
    for (int j = frame.top; j < frame.bottom; ++j)
        if (PixelAt(page, x, j) == picture) {
            if (look.top < 0) look.top = j;
            look.bottom = j + 1;
        }
    return look;
}

// A picture larger than the frame, in its only size, is scaled down to it,
// keeping its shape (it has the frame's, give or take a pixel).
TEST_F(PageBaseTest, ArtworkFillsTheFrameOfControl5545) {
    UiDriver ui;
    PlainPage page(2808, 2831);
    RECT frame = {};
    FrameLook look = {};
    COLORREF outside = 0;
    ui.When(2808)
        .Do([&](HWND h) {
            frame = FrameInClient(h);
            look = LookAtFrame(h, kDouble);
            outside = PixelAt(h, frame.right + 3, frame.top + 3);
        })
        .Click(kNextButton);
    EXPECT_EQ(1001, page.RunPage());
    EXPECT_EQ(kDouble, look.middle);  // the solid blue artwork, scaled down
    // Edge to edge, but for the frame's own black line.
    EXPECT_GE(look.right - look.left, frame.right - frame.left - 3);
    EXPECT_GE(look.bottom - look.top, frame.bottom - frame.top - 3);
    EXPECT_NE(kDouble, outside);
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

// Of small, fitting and too large, the fitting size is drawn as it is, centred.
TEST_F(PageBaseTest, ArtworkIsTheLargestSizeThatFitsAndIsNotEnlarged) {
    UiDriver ui;
    PlainPage page(2808, 2830);
    RECT frame = {};
    FrameLook look = {};
    ui.When(2808)
        .Do([&](HWND h) {
            frame = FrameInClient(h);
            look = LookAtFrame(h, kFits);
        })
        .Click(kNextButton);
    page.RunPage();
    ASSERT_GE(frame.right - frame.left, 120) << "the frame must hold the fitting size";
    ASSERT_GE(frame.bottom - frame.top, 200);
    ASSERT_LT(frame.right - frame.left, 300) << "and not the large one";
    EXPECT_EQ(kFits, look.middle);
    EXPECT_NE(kFits, look.corner);  // not scaled up to the frame
    EXPECT_NE(kLarge, look.corner);
    EXPECT_EQ(120, look.right - look.left);
    EXPECT_EQ(200, look.bottom - look.top);
    EXPECT_NEAR((frame.left + frame.right) / 2, (look.left + look.right) / 2, 1);
    EXPECT_NEAR((frame.top + frame.bottom) / 2, (look.top + look.bottom) / 2, 1);
}

// A new scale gives the frame another size: the size is chosen again. Here
// the frame shrinks below the fitting size, so the small one is drawn. The
// page takes the place the system suggests only per monitor v2, whose dialog
// manager rescales the controls; otherwise (this test program has no
// manifest: unaware) it keeps its place.
TEST_F(PageBaseTest, ScaleChangeTakesTheSuggestedPlaceOnlyPerMonitorV2AndChoosesTheArtworkAgain) {
    typedef HANDLE(WINAPI * SetContext)(HANDLE);
    SetContext setContext = reinterpret_cast<SetContext>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "SetThreadDpiAwarenessContext")));
    for (bool v2 : {false, true}) {
        HANDLE saved = nullptr;
        if (v2) {
            // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, for the windows this thread makes.
            // Wine 8 makes no per monitor v2 window: then only the first half.
            if (!setContext || !(saved = setContext(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4))))) break;
        }
        UiDriver ui;
        PlainPage page(2808, 2830);
        FrameLook before = {}, after = {};
        RECT placed = {}, suggested = {}, was = {};
        ui.When(2808)
            .Do([&](HWND h) {
                before = LookAtFrame(h, kFits);
                RECT frame = FrameInClient(h);
                MoveWindow(GetDlgItem(h, kArtworkFrame), frame.left, frame.top, 100, 150, FALSE);
                GetWindowRect(h, &was);
                suggested = was;
                OffsetRect(&suggested, 10, 20);
                suggested.right += 30;
                suggested.bottom += 40;
                SendMessageA(h, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(144, 144), (LPARAM)&suggested);
                GetWindowRect(h, &placed);
                after = LookAtFrame(h, kSmall);
            })
            .Click(kNextButton);
        page.RunPage();
        if (saved) setContext(saved);
        EXPECT_EQ(kFits, before.middle) << v2;
        EXPECT_EQ(kSmall, after.middle) << v2;
        EXPECT_EQ(8, after.right - after.left) << v2;
        EXPECT_TRUE(EqualRect(v2 ? &suggested : &was, &placed)) << v2;
    }
}

// The system's settings or colours changed: the heading gets a new bold font
// made from the dialog's, and the artwork is still there.
TEST_F(PageBaseTest, SettingAndColourChangesMakeTheHeadingAgain) {
    struct Case {
        const char* change;
        UINT message;
    } cases[] = {{"settings", WM_SETTINGCHANGE}, {"colours", WM_SYSCOLORCHANGE}};
    for (const Case& c : cases) {
        UiDriver ui;
        PlainPage page(2808, 2830);
        HFONT before = nullptr, after = nullptr;
        LONG weight = 0, height = 0, dialogHeight = 1;
        COLORREF middle = 0;
        ui.When(2808)
            .Do([&](HWND h) {
                before = (HFONT)SendDlgItemMessageA(h, kPageTitle, WM_GETFONT, 0, 0);
                SendMessageA(h, c.message, 0, 0);
                after = (HFONT)SendDlgItemMessageA(h, kPageTitle, WM_GETFONT, 0, 0);
                LOGFONTA font;
                GetObjectA(after, sizeof font, &font);
                weight = font.lfWeight;
                height = font.lfHeight;
                GetObjectA((HFONT)SendMessageA(h, WM_GETFONT, 0, 0), sizeof font, &font);
                dialogHeight = font.lfHeight;
                middle = LookAtFrame(h, kFits).middle;
            })
            .Click(kNextButton);
        page.RunPage();
        EXPECT_NE(before, after) << c.change;
        EXPECT_EQ(FW_BOLD, weight) << c.change;
        EXPECT_EQ(dialogHeight, height) << c.change;
        EXPECT_EQ(kFits, middle) << c.change;
    }
}

// The artwork frame is marked as a decorative graphic for screen readers,
// and the mark goes with the page.
TEST_F(PageBaseTest, ArtworkFrameIsAGraphicToScreenReaders) {
    // Where the system keeps no annotations (Wine's oleacc takes none),
    // nothing can show the mark.
    CoInitialize(nullptr);
    IAccPropServices* services = nullptr;
    HRESULT kept = CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_IAccPropServices, (void**)&services);
    if (SUCCEEDED(kept)) {
        HWND probe = CreateWindowA("Static", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        VARIANT value;
        VariantInit(&value);
        value.vt = VT_I4;
        value.lVal = ROLE_SYSTEM_GRAPHIC;
        kept = services->SetHwndProp(probe, (DWORD)OBJID_CLIENT, CHILDID_SELF, PROPID_ACC_ROLE, value);
        services->ClearHwndProps(probe, (DWORD)OBJID_CLIENT, CHILDID_SELF, &PROPID_ACC_ROLE, 1);
        DestroyWindow(probe);
        services->Release();
    }
    CoUninitialize();
    if (FAILED(kept)) GTEST_SKIP() << "the system keeps no accessibility annotations: 0x" << std::hex << kept;

    UiDriver ui;
    PlainPage page(2808, 2830);
    LONG role = -1;
    HRESULT found = E_FAIL;
    ui.When(2808)
        .Do([&](HWND h) {
            // Through the module, as screen readers do: linking oleacc and uuid
            // both would define IID_IAccessible twice on x86_64.
            typedef HRESULT(WINAPI * FromWindow)(HWND, DWORD, REFIID, void**);
            HMODULE oleacc = LoadLibraryA("oleacc.dll");
            FromWindow fromWindow =
                oleacc ? (FromWindow)(void*)GetProcAddress(oleacc, "AccessibleObjectFromWindow")
                       : nullptr;
            IAccessible* accessible = nullptr;
            if (fromWindow)
                found = fromWindow(GetDlgItem(h, kArtworkFrame), (DWORD)OBJID_CLIENT,
                                   IID_IAccessible, (void**)&accessible);
            if (SUCCEEDED(found)) {
                VARIANT self, value;
                VariantInit(&self);
                self.vt = VT_I4;
                self.lVal = CHILDID_SELF;
                VariantInit(&value);
                if (SUCCEEDED(accessible->get_accRole(self, &value)) && value.vt == VT_I4)
                    role = value.lVal;
                accessible->Release();
            }
            if (oleacc) FreeLibrary(oleacc);
        })
        .Click(kNextButton);
    page.RunPage();
    ASSERT_HRESULT_SUCCEEDED(found);
    EXPECT_EQ(ROLE_SYSTEM_GRAPHIC, role);
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
