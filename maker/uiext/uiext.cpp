#include "maker/uiext/uiext.h"

#include <imm.h>
#include <string.h>

#include <vector>

#include "framework/resource.h"

static HINSTANCE g_stringModule = nullptr;

BOOL InitUiExtensions(HINSTANCE resourceInstance) {
    g_stringModule = resourceInstance;
    return resourceInstance != nullptr;
}

// ---------------------------------------------------------------- CMacroText

BOOL CMacroText::LoadEx(UINT id, WORD firstId, ExpandFlags flags, HINSTANCE module) {
    Empty();
    if (!module) module = g_stringModule ? g_stringModule : AfxGetResourceHandle();
    // The string's length decides the buffer: up to two bytes a character,
    // and room for the references to grow.
    const WCHAR* resource = nullptr;
    int length = LoadStringW(module, id, (LPWSTR)&resource, 0);
    if (length <= 0) return FALSE;
    long size = 4L * length + 2;
    if (size < 1024) size = 1024;
    if (size > 0x7FFF) size = 0x7FFF;
    std::vector<char> buffer((size_t)size, '\0');
    if (::LoadStringA(module, id, buffer.data(), (int)size) <= 0) return FALSE;
    ExpandWithStringResources(buffer.data(), (short)size, module, firstId, kMacroTextSecondRange,
                              flags);
    *this = buffer.data();
    return TRUE;
}

// ---------------------------------------------------------------- edit controls

BEGIN_MESSAGE_MAP(CFilteredEdit, CEdit)
    ON_WM_CHAR()
    ON_MESSAGE(WM_IME_CHAR, OnImeChar)
    ON_MESSAGE(WM_PASTE, OnPaste)
    ON_MESSAGE(WM_KEYDOWN, OnKeyDown)
    ON_MESSAGE(EM_LIMITTEXT, OnLimitText)
END_MESSAGE_MAP()

CString CFilteredEdit::Filter(const char* text) const {
    CString out;
    if (!text) return out;
    for (const unsigned char* p = (const unsigned char*)text; *p;) {
        if (IsDBCSLeadByte(*p) && p[1]) {
            if (AdmitsDoubleByte()) {
                out += (char)p[0];
                out += (char)p[1];
            }
            p += 2;
            continue;
        }
        if (Admits(*p)) out += (char)*p;
        ++p;
    }
    return out;
}

void CFilteredEdit::OnChar(UINT ch, UINT repeat, UINT flags) {
    // A double-byte character arrives either packed into one message or as
    // its two bytes one after the other.
    if (ch > 0xFF) {
        leadByte_ = 0;
        InsertDoubleByte((unsigned char)(ch >> 8), (unsigned char)ch);
        return;
    }
    unsigned char c = (unsigned char)ch;
    if (leadByte_) {
        unsigned char lead = leadByte_;
        leadByte_ = 0;
        InsertDoubleByte(lead, c);
        return;
    }
    if (IsDBCSLeadByte(c)) {
        leadByte_ = c;
        return;
    }
    // Control characters are editing commands (backspace, copy, paste...).
    if (c < 0x20) {
        Default();
        return;
    }
    if (Admits(c)) {
        if (InsertWithinLimit([this] { Default(); })) MessageBeep(MB_OK);
        return;
    }
    MessageBeep(MB_OK);
}

void CFilteredEdit::InsertDoubleByte(unsigned char lead, unsigned char trail) {
    if (!AdmitsDoubleByte()) {
        MessageBeep(MB_OK);
        return;
    }
    // Inserted as a text of its own, so that both bytes stay together.
    char text[3] = {(char)lead, (char)trail, '\0'};
    if (InsertWithinLimit([&] { ReplaceSel(text, TRUE); })) MessageBeep(MB_OK);
}

int CFilteredEdit::InsertWithinLimit(const std::function<void()>& insert) {
    if (byteLimit_ <= 0) {
        insert();
        return 0;
    }
    CString before;
    GetWindowText(before);
    DWORD start = 0, end = 0;
    SendMessage(EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    insert();
    CString after;
    GetWindowText(after);
    int over = after.GetLength() - byteLimit_;
    if (over <= 0 || after.GetLength() <= before.GetLength()) return 0;
    SetWindowText(before);
    SendMessage(EM_SETSEL, (WPARAM)start, (LPARAM)end);
    return over;
}

LRESULT CFilteredEdit::OnLimitText(WPARAM wParam, LPARAM lParam) {
    byteLimit_ = (int)wParam;
    return Default();
}

LRESULT CFilteredEdit::OnImeChar(WPARAM wParam, LPARAM lParam) {
    bool admitted = wParam > 0xFF ? AdmitsDoubleByte() : Admits((unsigned char)wParam);
    LRESULT result = 0;
    if (admitted && !InsertWithinLimit([&] { result = Default(); })) return result;
    MessageBeep(MB_OK);
    return 0;
}

LRESULT CFilteredEdit::OnPaste(WPARAM wParam, LPARAM lParam) {
    if (GetStyle() & ES_READONLY) return 0;
    CString text;
    if (OpenClipboard(m_hWnd)) {
        HANDLE data = GetClipboardData(CF_TEXT);
        const char* clip = data ? (const char*)GlobalLock(data) : nullptr;
        if (clip) {
            // Clipboard data need not be terminated within its block.
            size_t room = GlobalSize(data);
            text = CString(clip, (int)strnlen(clip, room));
            GlobalUnlock(data);
        }
        CloseClipboard();
    }
    CString kept = Filter(text);
    bool cut = kept.GetLength() < text.GetLength();
    if (byteLimit_ > 0) {
        // What fits of it, ending on a whole character. The room is worked
        // out first: a control that counts its limit in characters cuts the
        // paste itself, so what it kept says nothing about the bytes left.
        int room = byteLimit_ - BytesBesideSelection();
        int fits = 0;
        const char* p = kept;
        while (p[fits]) {
            int step = IsDBCSLeadByte((BYTE)p[fits]) && p[fits + 1] ? 2 : 1;
            if (fits + step > room) break;
            fits += step;
        }
        if (fits < kept.GetLength()) {
            cut = true;
            kept = CString(p, fits);
        }
    }
    if (cut) MessageBeep(MB_OK);
    if (!kept.IsEmpty()) ReplaceSel(kept, TRUE);
    return 0;
}

int CFilteredEdit::BytesBesideSelection() {
    CString text;
    GetWindowText(text);
    DWORD start = 0, end = 0;
    SendMessage(EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    // The control counts positions in bytes or, like Wine's and Common
    // Controls 6, in characters; its length in its own units tells which.
    int units = (int)SendMessage(EM_LINELENGTH, 0, 0);
    if (units != text.GetLength()) {
        const char* p = text;
        int bytes = 0, startByte = -1, endByte = -1;
        for (int index = 0;; ++index) {
            if (index == (int)start) startByte = bytes;
            if (index == (int)end) endByte = bytes;
            if (!p[bytes]) break;
            bytes += IsDBCSLeadByte((BYTE)p[bytes]) && p[bytes + 1] ? 2 : 1;
        }
        start = startByte < 0 ? (DWORD)bytes : (DWORD)startByte;
        end = endByte < 0 ? (DWORD)bytes : (DWORD)endByte;
    }
    int length = text.GetLength();
    if (end > (DWORD)length) end = (DWORD)length;
    if (start > end) start = end;
    return length - (int)(end - start);
}

LRESULT CFilteredEdit::OnKeyDown(WPARAM wParam, LPARAM lParam) {
    // Shift+Insert pastes without a WM_PASTE; route it through the filter.
    if (wParam == VK_INSERT && (GetKeyState(VK_SHIFT) & 0x8000) &&
        !(GetKeyState(VK_CONTROL) & 0x8000)) {
        SendMessage(WM_PASTE);
        return 0;
    }
    return Default();
}

bool CFaxIdEdit::IsFaxIdChar(unsigned char c) {
    return (c >= '0' && c <= '9') || (c != 0 && strchr(" +-()./*#,", c) != nullptr);
}

void CFaxIdEdit::PreSubclassWindow() {
    // A composition window would bypass the typed-character filter.
    ImmAssociateContext(m_hWnd, nullptr);
}
