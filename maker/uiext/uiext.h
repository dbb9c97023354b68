// The UI extension library: its start-up, a string class that loads texts from
// the resource module with $name$ references filled in, and two edit controls
// that admit only what their field can hold.
#pragma once
#include <functional>
#include <windows.h>

#include "common/expand.h"
#include "framework/cstring.h"
#include "framework/wnd.h"

// Remembers the module the library's strings come from when a caller names
// none. Returns FALSE for a null instance (the framework's resource handle is
// then used).
BOOL InitUiExtensions(HINSTANCE resourceInstance);

// The second name=value range, after the caller's first one: the same two
// ranges as the dialog texts.
const WORD kMacroTextSecondRange = 12832;

class CMacroText : public CString {
public:
    CMacroText() {}
    using CString::operator=;

    // Loads string resource id from module (none: the library's module) and
    // runs it through the value expansion with flags, filling $name$ references
    // from the ranges starting at firstId and 12832. FALSE, and an empty text,
    // when the string cannot be loaded.
    BOOL LoadEx(UINT id, WORD firstId, ExpandFlags flags, HINSTANCE module);
};

// An edit control that lets through only the characters it admits, typed or
// pasted. Setting its text (WM_SETTEXT) is not filtered.
//
// Its text limit counts bytes of the ANSI code page, as the header and the
// INI files hold them: a double-byte character counts two, and one that would
// end past the limit is refused whole. (The platform's control may count
// characters, as Wine's does.)
class CFilteredEdit : public CEdit {
public:
    CFilteredEdit() : leadByte_(0), byteLimit_(0) {}
    // The text with every character the control would not admit left out.
    CString Filter(const char* text) const;

protected:
    virtual bool AdmitsChar(unsigned char c) const = 0;
    virtual bool AdmitsDoubleByte() const = 0;

    void OnChar(UINT ch, UINT repeat, UINT flags);
    LRESULT OnImeChar(WPARAM wParam, LPARAM lParam);
    LRESULT OnPaste(WPARAM wParam, LPARAM lParam);
    LRESULT OnKeyDown(WPARAM wParam, LPARAM lParam);
    LRESULT OnLimitText(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    bool Admits(unsigned char c) const { return c >= 0x20 && c != 0x7F && AdmitsChar(c); }
    void InsertDoubleByte(unsigned char lead, unsigned char trail);
    // Inserts through insert; a text that then has more bytes than the limit
    // goes back to what it was. Returns the bytes it had too many (0: kept).
    int InsertWithinLimit(const std::function<void()>& insert);
    // Bytes of the text outside the current selection.
    int BytesBesideSelection();
    unsigned char leadByte_;  // first byte of a double-byte character being typed
    int byteLimit_;           // the text limit in bytes; 0: none set
};

// Phone numbers: digits, blanks and the dialling characters + - ( ) . / * # ,
// (a comma is a dialling pause). No input method: numbers are typed as is.
class CFaxIdEdit : public CFilteredEdit {
public:
    static bool IsFaxIdChar(unsigned char c);

protected:
    bool AdmitsChar(unsigned char c) const override { return IsFaxIdChar(c); }
    bool AdmitsDoubleByte() const override { return false; }
    void PreSubclassWindow() override;
};

// One line of header text: every printable character of the code page,
// double-byte characters included; no control characters (tabs, line breaks).
class CFaxHeaderField : public CFilteredEdit {
protected:
    bool AdmitsChar(unsigned char c) const override { return true; }
    bool AdmitsDoubleByte() const override { return true; }
};
