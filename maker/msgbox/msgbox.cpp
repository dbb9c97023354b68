#include "maker/msgbox/msgbox.h"

#include <cstdio>
#include <string>

namespace {

// A text argument: either a text or a string resource id.
std::string TextOf(const char* text, HINSTANCE module) {
    if (!text) return std::string();
    if (IS_INTRESOURCE(text)) {
        char buffer[1024];
        int n = LoadStringA(module ? module : GetModuleHandleA(nullptr),
                            (UINT)(UINT_PTR)text, buffer, sizeof buffer);
        return n > 0 ? std::string(buffer, n) : std::string();
    }
    return std::string(text);
}

void AddParagraph(std::string& body, const std::string& text) {
    if (text.empty()) return;
    if (!body.empty()) body += "\n\n";
    body += text;
}

// The file name without its directory.
const char* BaseFileName(const char* path) {
    const char* name = path;
    for (const char* p = path; *p; p = CharNextA(p))
        if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
    return name;
}

UINT IconBits(DWORD style) {
    switch (style & SMB_ICON_MASK) {
    case SMB_ICON_ERROR: return MB_ICONHAND;
    case SMB_ICON_WARNING: return MB_ICONEXCLAMATION;
    case SMB_ICON_INFORMATION: return MB_ICONASTERISK;
    case SMB_ICON_QUESTION: return MB_ICONQUESTION;
    default: return style & MB_ICONMASK;
    }
}

UINT ButtonBits(DWORD style) {
    switch (style & SMB_BUTTONS_MASK) {
    case SMB_BUTTONS_OK: return MB_OK;
    case SMB_BUTTONS_OKCANCEL: return MB_OKCANCEL;
    case SMB_BUTTONS_YESNO: return MB_YESNO;
    case SMB_BUTTONS_YESNOCANCEL: return MB_YESNOCANCEL;
    case SMB_BUTTONS_RETRYCANCEL: return MB_RETRYCANCEL;
    case SMB_BUTTONS_ABORTRETRYIGNORE: return MB_ABORTRETRYIGNORE;
    default: return style & MB_TYPEMASK;
    }
}

const char* IconWord(UINT icon) {
    switch (icon) {
    case MB_ICONHAND: return "Error";
    case MB_ICONEXCLAMATION: return "Warning";
    case MB_ICONASTERISK: return "Information";
    case MB_ICONQUESTION: return "Question";
    default: return "Message";
    }
}

}  // namespace

extern "C" int StyledMessageBox(HWND owner, DWORD style, long deviceId, HINSTANCE textModule,
                                const char* caption, const char* text1, const char* text2,
                                const char* text3, const char* sourceFile, int sourceLine) {
    // The caller may pass a control (the window with the focus); the box
    // belongs to its top-level window.
    HWND root = (owner && IsWindow(owner)) ? GetAncestor(owner, GA_ROOT) : nullptr;

    std::string body;
    AddParagraph(body, TextOf(text1, textModule));
    AddParagraph(body, TextOf(text2, textModule));
    AddParagraph(body, TextOf(text3, textModule));

    std::string footer;
    if (style & SMB_SHOW_DEVICE) {
        char line[64];
        snprintf(line, sizeof line, "Device: %ld", deviceId);
        footer += line;
    }
    if ((style & SMB_SHOW_SOURCE) && ((sourceFile && *sourceFile) || sourceLine > 0)) {
        if (!footer.empty()) footer += "\n";
        footer += "(";
        if (sourceFile && *sourceFile) {
            footer += BaseFileName(sourceFile);
            if (sourceLine > 0) footer += ", ";
        }
        if (sourceLine > 0) footer += "line " + std::to_string(sourceLine);
        footer += ")";
    }
    AddParagraph(body, footer);

    UINT icon = IconBits(style);
    UINT type = (style & 0xFFFF & ~(MB_ICONMASK | MB_TYPEMASK)) | icon | ButtonBits(style);
    if (style & SMB_TOPMOST) type |= MB_TOPMOST | MB_SETFOREGROUND;

    std::string title = TextOf(caption, textModule);
    if (title.empty() && root && IsWindowVisible(root)) {
        char text[256];
        if (GetWindowTextA(root, text, sizeof text) > 0) title = text;
    }
    if (title.empty()) title = IconWord(icon);

    return MessageBoxA(root, body.c_str(), title.c_str(), type);
}
