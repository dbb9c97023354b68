// Shows every page template of a resource module the way the wizard shows it
// (texts expanded, artwork painted into the art frame, the heading in bold)
// and writes each window to a BMP file, so that a person can review all pages
// at a glance. Also writes the module's message strings, expanded, to
// strings.txt.
//
//   renderpages.exe <resource module> <output folder> [fax number]
//
// The fax number fills the two texts of the answering machine page; without
// it they show the text that stands in for a missing number, as the page does.
// Exit code 0 when every template was shown and nothing was left unexpanded.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/expand.h"
#include "resources/resource_ids.h"

namespace {

struct PageInfo {
    int id;
    int artwork;  // 0: no artwork (the quit confirmation)
};

// In the order a person meets them.
const PageInfo kPages[] = {
    {IDD_WELCOME, IDB_ART_WELCOME},
    {IDD_NAME_COMPANY, IDB_ART_IDENTITY},
    {IDD_DEVICE_OPTION, IDB_ART_LINE},
    {IDD_DEDICATED_LINE, IDB_ART_LINE},
    {IDD_FAX_NUMBER, IDB_ART_FAX_NUMBER},
    {IDD_VOICE_NUMBER, IDB_ART_VOICE},
    {IDD_SAME_NUMBER, IDB_ART_LINE},
    {IDD_SHARED_NUMBER, IDB_ART_FAX_NUMBER},
    {IDD_ANSWERING_MACHINE, IDB_ART_VOICE},
    {IDD_MODEM, IDB_ART_MODEM},
    {IDD_SUMMARY, IDB_ART_SUMMARY},
    {IDD_FINISH, IDB_ART_WELCOME},
    {IDD_QUIT_CONFIRM, 0},
};

const UINT kMessageStrings[] = {5501, 5502, 5513, 5514, 5515, 5516, 5519, 5520,
                                5521, 5522, 5523, 5524, 5525};

const WORD kFirstNames = IDS_NAMES_PRODUCT;
const WORD kSecondNames = IDS_NAMES_MAKER;

struct RenderState {
    HMODULE module;
    const PageInfo* page;
    const char* faxNumber;
    HFONT bold;
    int unexpanded;  // window texts still holding a '$' after expansion
};

RenderState g_state;

// Expands one window's text in place, as the page base does.
void ExpandWindowText(HWND window) {
    int length = GetWindowTextLengthA(window);
    if (length <= 0) return;
    std::vector<char> text(std::max(2 * (length + 1), 256));
    GetWindowTextA(window, text.data(), (int)text.size());
    short room = (short)std::min<size_t>(text.size(), 0x7FFF);
    ExpandWithStringResources(text.data(), room, g_state.module, kFirstNames, kSecondNames,
                              StandardValueFlags);
    SetWindowTextA(window, text.data());
    if (strchr(text.data(), '$')) {
        fprintf(stderr, "page %d: unexpanded text \"%s\"\n", g_state.page->id, text.data());
        ++g_state.unexpanded;
    }
}

// Edit and combo-box controls hold the user's data and keep their text.
void ExpandDialogTexts(HWND window) {
    ExpandWindowText(window);
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[33];
        if (!GetClassNameA(child, cls, sizeof cls)) continue;
        if (lstrcmpiA(cls, "combobox") == 0 || lstrcmpiA(cls, "edit") == 0) continue;
        ExpandDialogTexts(child);
    }
}

// A message string loaded and expanded the way the pages load theirs.
std::string LoadExpanded(UINT id) {
    char text[1024] = "";
    if (LoadStringA(g_state.module, id, text, sizeof text) <= 0) return std::string();
    ExpandWithStringResources(text, sizeof text, g_state.module, kFirstNames, 0, StandardValueFlags);
    return text;
}

// The answering machine page fills two texts from format strings.
void FillAnsweringMachineTexts(HWND dialog) {
    std::string number = g_state.faxNumber && *g_state.faxNumber ? g_state.faxNumber
                                                                  : LoadExpanded(IDS_NOT_SET);
    const struct { UINT string; int control; } texts[] = {
        {IDS_TAM_QUESTION, IDC_TAM_QUESTION}, {IDS_TAM_YES_TEXT, IDC_TAM_YES_TEXT}};
    for (const auto& t : texts) {
        std::string format = LoadExpanded(t.string);
        char out[1024];
        snprintf(out, sizeof out, format.c_str(), number.c_str());
        SetDlgItemTextA(dialog, t.control, out);
    }
}

void MakeTitleBold(HWND dialog) {
    HWND title = GetDlgItem(dialog, IDC_PAGE_TITLE);
    HFONT font = (HFONT)SendMessageA(dialog, WM_GETFONT, 0, 0);
    LOGFONTA lf;
    if (!title || !font || !GetObjectA(font, sizeof lf, &lf)) return;
    lf.lfWeight = FW_BOLD;
    if (!g_state.bold) g_state.bold = CreateFontIndirectA(&lf);
    SendMessageA(title, WM_SETFONT, (WPARAM)g_state.bold, TRUE);
}

void DrawArtwork(HWND dialog) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(dialog, &ps);
    HWND frame = GetDlgItem(dialog, IDC_ARTWORK);
    HBITMAP bitmap = g_state.page->artwork
                         ? LoadBitmapA(g_state.module, MAKEINTRESOURCEA(g_state.page->artwork))
                         : nullptr;
    if (frame && bitmap) {
        BITMAP bm;
        GetObjectA(bitmap, sizeof bm, &bm);
        RECT r;
        GetWindowRect(frame, &r);
        MapWindowPoints(nullptr, dialog, (POINT*)&r, 2);
        HDC mem = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(mem, bitmap);
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, mem, 0, 0, bm.bmWidth,
                   bm.bmHeight, SRCCOPY);
        SelectObject(mem, old);
        DeleteDC(mem);
        if (bm.bmWidth != r.right - r.left || bm.bmHeight != r.bottom - r.top)
            fprintf(stderr, "page %d: artwork %ldx%ld stretched to %ldx%ld\n", g_state.page->id,
                    bm.bmWidth, bm.bmHeight, r.right - r.left, r.bottom - r.top);
    }
    if (bitmap) DeleteObject(bitmap);
    EndPaint(dialog, &ps);
}

INT_PTR CALLBACK PageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        ExpandDialogTexts(dialog);
        if (g_state.page->id == IDD_ANSWERING_MACHINE) FillAnsweringMachineTexts(dialog);
        MakeTitleBold(dialog);
        if (g_state.page->id != IDD_QUIT_CONFIRM)
            SetWindowPos(dialog, nullptr, 16, 16, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        return TRUE;
    case WM_PAINT:
        DrawArtwork(dialog);
        return TRUE;
    }
    return FALSE;
}

void PumpFor(DWORD milliseconds) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(20);
    }
}

bool WriteBmp(const std::string& path, HDC source, int width, int height) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = height;  // bottom-up, as BMP files store it
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(source, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib) return false;
    HDC mem = CreateCompatibleDC(source);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, width, height, source, 0, 0, SRCCOPY);
    GdiFlush();
    DWORD stride = ((DWORD)width * 3 + 3) & ~3u;
    DWORD size = stride * (DWORD)height;
    BITMAPFILEHEADER fh = {};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
    fh.bfSize = fh.bfOffBits + size;
    bi.bmiHeader.biSizeImage = size;
    bool ok = false;
    if (FILE* f = fopen(path.c_str(), "wb")) {
        ok = fwrite(&fh, sizeof fh, 1, f) == 1 && fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f) == 1 &&
             fwrite(bits, 1, size, f) == size;
        ok = fclose(f) == 0 && ok;
    }
    SelectObject(mem, old);
    DeleteDC(mem);
    DeleteObject(dib);
    return ok;
}

bool RenderPage(const PageInfo& page, const std::string& folder) {
    g_state.page = &page;
    HWND dialog = CreateDialogParamA(g_state.module, MAKEINTRESOURCEA(page.id), nullptr, PageProc, 0);
    if (!dialog) {
        fprintf(stderr, "page %d: the template cannot be shown (error %lu)\n", page.id, GetLastError());
        return false;
    }
    ShowWindow(dialog, SW_SHOW);
    SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    UpdateWindow(dialog);
    PumpFor(400);
    RECT r;
    GetWindowRect(dialog, &r);
    HDC dc = GetWindowDC(dialog);
    std::string path = folder + "\\page" + std::to_string(page.id) + ".bmp";
    bool ok = WriteBmp(path, dc, r.right - r.left, r.bottom - r.top);
    ReleaseDC(dialog, dc);
    DestroyWindow(dialog);
    PumpFor(50);
    if (ok)
        printf("%d %s\n", page.id, path.c_str());
    else
        fprintf(stderr, "page %d: cannot write %s\n", page.id, path.c_str());
    return ok;
}

bool WriteStrings(const std::string& folder) {
    std::string path = folder + "\\strings.txt";
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = true;
    for (UINT id : kMessageStrings) {
        std::string text = LoadExpanded(id);
        if (text.empty() || text.find('$') != std::string::npos) {
            fprintf(stderr, "string %u: %s\n", id, text.empty() ? "missing" : "unexpanded");
            ok = false;
        }
        fprintf(f, "%u\t%s\r\n", id, text.c_str());
    }
    return fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: renderpages <resource module> <output folder> [fax number]\n");
        return 2;
    }
    g_state.module = LoadLibraryA(argv[1]);
    if (!g_state.module) {
        fprintf(stderr, "cannot load %s (error %lu)\n", argv[1], GetLastError());
        return 1;
    }
    // Strings are taken from the library's resource instance, as in the wizard.
    SetLibraryResourceInstance(g_state.module);
    g_state.faxNumber = argc > 3 ? argv[3] : nullptr;
    std::string folder = argv[2];
    CreateDirectoryA(folder.c_str(), nullptr);

    bool ok = true;
    for (const PageInfo& page : kPages) ok = RenderPage(page, folder) && ok;
    ok = WriteStrings(folder) && ok;
    if (g_state.bold) DeleteObject(g_state.bold);
    FreeLibrary(g_state.module);
    return ok && g_state.unexpanded == 0 ? 0 : 1;
}
