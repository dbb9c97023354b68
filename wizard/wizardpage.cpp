#include "wizard/wizardpage.h"

#include <oleacc.h>

#include "common/bitmap.h"
#include "common/expand.h"
#include "common/timing.h"
#include "framework/resource.h"
#include "wizard/dialogtext.h"
#include "wizard/quitconfirm.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace {

// UI Automation's IsControlElement and IsContentElement, which Dynamic
// Annotation takes in place of an MSAA property: false for both keeps the
// frame out of the views screen readers walk.
const GUID kIsControlElementProperty = {
    0x95f35085, 0xabcc, 0x4afd, {0xa5, 0xf4, 0xdb, 0xb4, 0x6c, 0x23, 0x0f, 0xdb}};
const GUID kIsContentElementProperty = {
    0x4bda64a8, 0xf5d8, 0x480b, {0x81, 0x55, 0xef, 0x2e, 0x89, 0xad, 0xb6, 0x72}};

// Whether the window runs per monitor v2 (Windows 10 1703 on). Looked up at
// run time: older systems have neither call.
bool PerMonitorV2(HWND window) {
    typedef HANDLE(WINAPI * GetContext)(HWND);
    typedef BOOL(WINAPI * SameContext)(HANDLE, HANDLE);
    HMODULE user = GetModuleHandleA("user32.dll");
    if (!user) return false;
    GetContext getContext =
        reinterpret_cast<GetContext>(reinterpret_cast<void*>(GetProcAddress(user, "GetWindowDpiAwarenessContext")));
    SameContext same =
        reinterpret_cast<SameContext>(reinterpret_cast<void*>(GetProcAddress(user, "AreDpiAwarenessContextsEqual")));
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
    return getContext && same && same(getContext(window), reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4)));
}

}  // namespace

bool HighContrastOn() {
    HIGHCONTRASTA contrast = {};
    contrast.cbSize = sizeof contrast;
    return SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

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
      artwork_(nullptr),
      accProps_(nullptr),
      comStarted_(false) {}

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
    MarkArtworkDecorative();

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
    // The dialog's own font, not the heading's: after a change of scale or
    // of the system's fonts the heading may still hold the old bold one.
    HFONT font = (HFONT)::SendMessageA(m_hWnd, WM_GETFONT, 0, 0);
    LOGFONTA logFont;
    if (!font || !GetObjectA(font, sizeof logFont, &logFont)) return;
    logFont.lfWeight = FW_BOLD;
    HFONT bold = CreateFontIndirectA(&logFont);
    if (!bold) return;
    ::SendMessageA(title, WM_SETFONT, (WPARAM)bold, TRUE);
    if (titleFont_) DeleteObject(titleFont_);
    titleFont_ = bold;
}

void WizardPage::FollowSystemChange() {
    MakeTitleBold();
    // Chosen again at the next paint, for the frame's new size or not at all
    // in high contrast.
    if (artwork_) DeleteObject(artwork_);
    artwork_ = nullptr;
    Invalidate(TRUE);
}

void WizardPage::MarkArtworkDecorative() {
    HWND frame = ::GetDlgItem(m_hWnd, kArtworkFrame);
    if (!frame || accProps_) return;
    HRESULT started = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    comStarted_ = SUCCEEDED(started);
    IAccPropServices* services = nullptr;
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IAccPropServices, (void**)&services))) {
        // Without the annotation service the frame stays an unnamed static:
        // nothing is lost but the hint.
        if (comStarted_) CoUninitialize();
        comStarted_ = false;
        return;
    }
    VARIANT role;
    VariantInit(&role);
    role.vt = VT_I4;
    role.lVal = ROLE_SYSTEM_GRAPHIC;
    services->SetHwndProp(frame, (DWORD)OBJID_CLIENT, CHILDID_SELF, PROPID_ACC_ROLE, role);
    VARIANT no;
    VariantInit(&no);
    no.vt = VT_BOOL;
    no.boolVal = VARIANT_FALSE;
    services->SetHwndProp(frame, (DWORD)OBJID_CLIENT, CHILDID_SELF, kIsControlElementProperty, no);
    services->SetHwndProp(frame, (DWORD)OBJID_CLIENT, CHILDID_SELF, kIsContentElementProperty, no);
    accProps_ = services;
}

void WizardPage::ClearArtworkMarks() {
    if (!accProps_) return;
    IAccPropServices* services = static_cast<IAccPropServices*>(accProps_);
    HWND frame = ::GetDlgItem(m_hWnd, kArtworkFrame);
    const MSAAPROPID props[] = {PROPID_ACC_ROLE, kIsControlElementProperty,
                                kIsContentElementProperty};
    if (frame)
        services->ClearHwndProps(frame, (DWORD)OBJID_CLIENT, CHILDID_SELF, props,
                                 (int)(sizeof props / sizeof props[0]));
    services->Release();
    accProps_ = nullptr;
    if (comStarted_) CoUninitialize();
    comStarted_ = false;
}

LRESULT WizardPage::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // The frame's annotations go while the frame is still there.
    if (message == WM_DESTROY) ClearArtworkMarks();
    LRESULT result = CDialog::WindowProc(message, wParam, lParam);
    if (message == WM_SHOWWINDOW && wParam) TimingMarkPage(PageId, "shown");
    if (message == WM_PAINT) TimingMarkPage(PageId, "painted");
    switch (message) {
    case WM_DPICHANGED:
        // Only per monitor v2's dialog manager rescales the fonts and the
        // controls; there the page takes the place the system suggests. A
        // page of any other awareness keeps its size rather than stretch
        // controls drawn for the old scale.
        if (lParam && PerMonitorV2(m_hWnd)) {
            const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
            ::SetWindowPos(m_hWnd, nullptr, suggested->left, suggested->top,
                           suggested->right - suggested->left, suggested->bottom - suggested->top,
                           SWP_NOZORDER | SWP_NOACTIVATE);
        }
        FollowSystemChange();
        break;
    case WM_SYSCOLORCHANGE:
        // Only top-level windows hear of it; the controls draw with the colours too.
        for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child;
             child = ::GetWindow(child, GW_HWNDNEXT))
            ::SendMessageA(child, WM_SYSCOLORCHANGE, 0, 0);
        FollowSystemChange();
        break;
    case WM_SETTINGCHANGE:
        // High contrast on or off, the system's fonts, anything the page draws by.
        FollowSystemChange();
        break;
    }
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

HBITMAP WizardPage::LoadArtwork(HDC dc, const RECT& frame) {
    HINSTANCE module = AfxGetResourceHandle();
    SIZE sizes[kArtworkSizes] = {};
    for (int i = 0; i < kArtworkSizes; ++i)
        GetBitmapResourceSize(module, MAKEINTRESOURCEA(ArtworkId + kArtworkSizeStep * i),
                              &sizes[i]);
    SIZE room = {frame.right - frame.left, frame.bottom - frame.top};
    int chosen = ChooseArtworkSize(sizes, kArtworkSizes, room);
    if (chosen < 0) return nullptr;
    return LoadBitmapResource(module, MAKEINTRESOURCEA(ArtworkId + kArtworkSizeStep * chosen), dc,
                              nullptr, FALSE);
}

BOOL WizardPage::DrawArtwork() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(&paint);
    if (!dc) return FALSE;
    HWND frame = ::GetDlgItem(m_hWnd, kArtworkFrame);
    // In high contrast the frame stays empty, in the system's colours.
    if (!frame || HighContrastOn()) return EndPaint(&paint);
    HPALETTE previous = nullptr;
    if (WizardPalette) {
        previous = SelectPalette(dc, WizardPalette, FALSE);
        RealizePalette(dc);
    }

    CRect target;
    ::GetClientRect(frame, &target);
    ::MapWindowPoints(frame, m_hWnd, reinterpret_cast<POINT*>(&target), 2);
    // Chosen and decoded once for the page's window and scale, not on every paint.
    if (!artwork_) artwork_ = LoadArtwork(dc, target);
    HBITMAP bitmap = artwork_;
    if (bitmap) {
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
            int width = info.bmWidth;
            int height = info.bmHeight;
            // Drawn as it is, centred; only a picture larger than the frame
            // is scaled, down, keeping its shape.
            if (width > target.Width() || height > target.Height()) {
                if ((long long)target.Width() * height <= (long long)target.Height() * width) {
                    height = MulDiv(height, target.Width(), width);
                    width = target.Width();
                } else {
                    width = MulDiv(width, target.Height(), height);
                    height = target.Height();
                }
            }
            int left = target.left + (target.Width() - width) / 2;
            int top = target.top + (target.Height() - height) / 2;
            if (width == info.bmWidth && height == info.bmHeight) {
                BitBlt(dc, left, top, width, height, memory, 0, 0, SRCCOPY);
            } else {
                int oldMode = SetStretchBltMode(dc, HALFTONE);
                POINT oldOrigin;
                SetBrushOrgEx(dc, 0, 0, &oldOrigin);
                StretchBlt(dc, left, top, width, height, memory, 0, 0, info.bmWidth, info.bmHeight,
                           SRCCOPY);
                SetBrushOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
                SetStretchBltMode(dc, oldMode);
            }
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
