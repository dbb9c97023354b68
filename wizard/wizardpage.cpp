#include "wizard/wizardpage.h"

#include "common/bitmap.h"
#include "common/expand.h"
#include "common/timing.h"
#include "framework/resource.h"
#include "wizard/dialogtext.h"
#include "wizard/quitconfirm.h"

WizardPagePosition PagePosition = {0, 0, 0};
HPALETTE WizardPalette = nullptr;
int WizardCancelled = 0;

BEGIN_MESSAGE_MAP(WizardPage, CDialog)
    ON_WM_PALETTECHANGED()
    ON_WM_QUERYNEWPALETTE()
END_MESSAGE_MAP()

WizardPage::WizardPage(int pageId, int artworkId, CWnd* parent)
    : CDialog((UINT)pageId, parent),
      PageId(pageId),
      ArtworkId(artworkId),
      NextId(0),
      BackId(0),
      titleFont_(nullptr),
      artwork_(nullptr) {}

WizardPage::~WizardPage() {
    if (m_hWnd) DestroyWindow();
    if (titleFont_) DeleteObject(titleFont_);
    if (artwork_) DeleteObject(artwork_);
}

int WizardPage::RunPage() {
    INT_PTR result = DoModal();
    if (result == IDCANCEL) {
        WizardCancelled = 1;
        return 0;
    }
    if (result == kBackButton) return BackId;
    // Next, OK from Enter, or a page that could not be shown.
    return NextId;
}

void WizardPage::EndPage(int code) {
    TimingMarkPage(PageId, code == kNextButton ? "next" : "ended");
    CRect rect;
    GetWindowRect(&rect);
    PagePosition.Left = rect.left;
    PagePosition.Top = rect.top;
    UpdateData(TRUE);
    EndDialog(code);
}

void WizardPage::GoNext() { EndPage(kNextButton); }

void WizardPage::GoBack() { EndPage(kBackButton); }

void WizardPage::DoDataExchange(CDataExchange* dx) {}

BOOL WizardPage::OnInitDialog() {
    TimingMarkPage(PageId, "created");
    CDialog::OnInitDialog();
    ExpandDialogTexts(m_hWnd, AfxGetResourceHandle(), kNameRangeFirst, kNameRangeSecond,
                      StandardValueFlags);
    TimingMarkPage(PageId, "texts expanded");
    MakeTitleBold();

    CRect rect;
    GetWindowRect(&rect);
    int width = rect.Width();
    int height = rect.Height();
    if (!PagePosition.Known) {
        PagePosition.Left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
        PagePosition.Top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
        // On a screen smaller than the page its caption must stay reachable.
        if (PagePosition.Left < 0) PagePosition.Left = 0;
        if (PagePosition.Top < 0) PagePosition.Top = 0;
        PagePosition.Known = 1;
    }
    MoveWindow(PagePosition.Left, PagePosition.Top, width, height, FALSE);
    SetWindowPos(&wndTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    TimingMarkPage(PageId, "ready");
    return TRUE;
}

void WizardPage::MakeTitleBold() {
    HWND title = ::GetDlgItem(m_hWnd, kPageTitle);
    if (!title) return;
    HFONT font = (HFONT)::SendMessageA(title, WM_GETFONT, 0, 0);
    LOGFONTA logFont;
    if (!font || !GetObjectA(font, sizeof logFont, &logFont)) return;
    logFont.lfWeight = FW_BOLD;
    HFONT bold = CreateFontIndirectA(&logFont);
    if (!bold) return;
    ::SendMessageA(title, WM_SETFONT, (WPARAM)bold, TRUE);
    if (titleFont_) DeleteObject(titleFont_);
    titleFont_ = bold;
}

LRESULT WizardPage::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = CDialog::WindowProc(message, wParam, lParam);
    if (message == WM_SHOWWINDOW && wParam) TimingMarkPage(PageId, "shown");
    if (message == WM_PAINT) TimingMarkPage(PageId, "painted");
    // The heading's font and the artwork live as long as the page's window.
    if (message == WM_NCDESTROY) {
        if (titleFont_) DeleteObject(titleFont_);
        titleFont_ = nullptr;
        if (artwork_) DeleteObject(artwork_);
        artwork_ = nullptr;
    }
    return result;
}

void WizardPage::OnCancel() {
    QuitConfirmDialog confirm(nullptr);
    if (confirm.DoModal() == IDOK) EndDialog(IDCANCEL);
}

BOOL WizardPage::DrawArtwork() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(&paint);
    if (!dc) return FALSE;
    HPALETTE previous = nullptr;
    if (WizardPalette) {
        previous = SelectPalette(dc, WizardPalette, FALSE);
        RealizePalette(dc);
    }

    // Decoded once for the page's window, not on every paint.
    if (!artwork_)
        artwork_ = LoadBitmapResource(AfxGetResourceHandle(), MAKEINTRESOURCEA(ArtworkId), dc,
                                      nullptr, FALSE);
    HBITMAP bitmap = artwork_;
    HWND frame = ::GetDlgItem(m_hWnd, kArtworkFrame);
    if (bitmap && frame) {
        HDC memory = CreateCompatibleDC(dc);
        if (memory) {
            HPALETTE memoryPrevious = nullptr;
            if (WizardPalette) {
                memoryPrevious = SelectPalette(memory, WizardPalette, FALSE);
                RealizePalette(memory);
            }
            HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
            BITMAP info = {};
            GetObjectA(bitmap, sizeof info, &info);
            CRect target;
            ::GetWindowRect(frame, &target);
            ScreenToClient(&target);
            StretchBlt(dc, target.left, target.top, target.Width(), target.Height(), memory, 0, 0,
                       info.bmWidth, info.bmHeight, SRCCOPY);
            SelectObject(memory, oldBitmap);
            if (WizardPalette) SelectPalette(memory, memoryPrevious, TRUE);
            DeleteDC(memory);
        }
    }
    if (WizardPalette) {
        SelectPalette(dc, previous, TRUE);
        RealizePalette(dc);
    }
    return EndPaint(&paint);
}

void WizardPage::RealizeWizardPalette(BOOL forceBackground) {
    if (!WizardPalette) return;
    HDC dc = GetDC();
    if (!dc) return;
    HPALETTE previous = SelectPalette(dc, WizardPalette, forceBackground);
    UINT changed = RealizePalette(dc);
    if (changed != 0 && changed != GDI_ERROR) {
        Invalidate(TRUE);
        UpdateWindow();
    }
    SelectPalette(dc, previous, TRUE);
    RealizePalette(dc);
    ReleaseDC(dc);
}

void WizardPage::OnPaletteChanged(CWnd* focusWnd) {
    if (focusWnd && focusWnd->m_hWnd == m_hWnd) return;  // our own realization
    if (WizardPalette)
        RealizeWizardPalette(TRUE);
    else
        Default();
}

BOOL WizardPage::OnQueryNewPalette() {
    if (!WizardPalette) return (BOOL)Default();
    RealizeWizardPalette(FALSE);
    return TRUE;
}
