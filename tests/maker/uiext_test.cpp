#include <gtest/gtest.h>

#include <string>

#include "framework/resource.h"
#include "tests/support/test_support.h"
#include "wizard/uiext.h"

namespace {

HMODULE Module() {
    static HMODULE module = LoadLibraryA((wiztest::BinDir() + "\\wizardres.dll").c_str());
    return module;
}

class MacroTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(nullptr, Module()) << "wizardres.dll not built";
        SetLibraryResourceInstance(Module());
        InitUiExtensions(Module());
    }
    void TearDown() override {
        InitUiExtensions(nullptr);
        AfxSetResourceHandle(nullptr);
    }
    static std::string Load(UINT id, ExpandFlags flags = StandardValueFlags,
                            HINSTANCE module = nullptr, BOOL* ok = nullptr) {
        CMacroText text;
        BOOL loaded = text.LoadEx(id, 5600, flags, module);
        if (ok) *ok = loaded;
        return text.GetString();
    }
};

// An edit window of its own, bound to a filtering control object.
template <class Field>
class EditUnderTest {
public:
    EditUnderTest() {
        window_ = CreateWindowExA(0, "EDIT", "", WS_POPUP | ES_AUTOHSCROLL, 0, 0, 200, 20,
                                  nullptr, nullptr, nullptr, nullptr);
        EXPECT_TRUE(field.SubclassWindow(window_));
    }
    ~EditUnderTest() { DestroyWindow(window_); }
    void Type(const std::string& text) {
        for (char c : text) SendMessageA(window_, WM_CHAR, (WPARAM)(BYTE)c, 1);
    }
    std::string Text() {
        char buffer[512] = {};
        GetWindowTextA(window_, buffer, sizeof buffer);
        return buffer;
    }
    void Clear() { SetWindowTextA(window_, ""); }
    HWND window() const { return window_; }
    Field field;

private:
    HWND window_;
};

bool PutOnClipboard(HWND owner, const std::string& text) {
    if (!OpenClipboard(owner)) return false;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    bool ok = SetClipboardData(CF_TEXT, block) != nullptr;
    CloseClipboard();
    return ok;
}

}  // namespace

TEST_F(MacroTextTest, LoadsAndExpandsLikeDialogTexts) {
    EXPECT_EQ("The fax number of Acme Fax is missing", Load(5513));
    // Both ranges, values that refer on, blanks trimmed.
    EXPECT_EQ("Northwind FX-100", Load(5514));
    EXPECT_EQ("Cut here", Load(5515));
    // A value that refers to itself stops and keeps the reference.
    EXPECT_EQ("<$Loop$>", Load(5516));
    // Without the reference bit the text is only trimmed.
    EXPECT_EQ("$Maker$ $Model$", Load(5514, PlainValueFlags));
}

TEST_F(MacroTextTest, MissingStringGivesEmptyTextAndFalse) {
    BOOL ok = TRUE;
    EXPECT_EQ("", Load(4999, StandardValueFlags, nullptr, &ok));
    EXPECT_FALSE(ok);
    EXPECT_EQ("The fax number of Acme Fax is missing",
              Load(5513, StandardValueFlags, Module(), &ok));
    EXPECT_TRUE(ok);
}

TEST_F(MacroTextTest, WithoutModuleTheInitialisedOneOrTheResourceHandle) {
    EXPECT_TRUE(InitUiExtensions(Module()));
    AfxSetResourceHandle(nullptr);  // strings still come from the library's module
    EXPECT_EQ("The fax number of Acme Fax is missing", Load(5513));
    EXPECT_FALSE(InitUiExtensions(nullptr));
    EXPECT_EQ("", Load(5513));  // the program itself has no such string
    AfxSetResourceHandle(Module());
    EXPECT_EQ("The fax number of Acme Fax is missing", Load(5513));
}

TEST(FaxIdEdit, AdmitsDigitsBlanksAndDiallingCharacters) {
    EditUnderTest<CFaxIdEdit> edit;
    edit.Type("+49 (0)30-12a34/5*#,x.");
    EXPECT_EQ("+49 (0)30-1234/5*#,.", edit.Text());
    edit.Clear();
    edit.Type("12\b3");  // editing keys still work
    EXPECT_EQ("13", edit.Text());
    // Texts set by the program are kept as they are.
    SetWindowTextA(edit.window(), "Tel. 555");
    EXPECT_EQ("Tel. 555", edit.Text());
    EXPECT_EQ(" +1 (555)", std::string(edit.field.Filter("Tel: +1 (555)\r\n")));
}

TEST(FaxHeaderField, AdmitsPrintableTextButNoControlCharacters) {
    EditUnderTest<CFaxHeaderField> edit;
    edit.Type("Ann Miller & Co.\x7F!");
    EXPECT_EQ("Ann Miller & Co.!", edit.Text());
    if (!IsDBCSLeadByte(0xFC)) {
        edit.Clear();
        edit.Type("M\xFCller");  // letters beyond ASCII of the code page
        EXPECT_EQ("M\xFCller", edit.Text());
    }
    EXPECT_EQ("AnnSmith!", std::string(edit.field.Filter("Ann\r\nSmith\t!")));
}

TEST(FilteredEdit, PastedTextIsFilteredLikeTypedText) {
    EditUnderTest<CFaxIdEdit> number;
    EditUnderTest<CFaxHeaderField> header;
    ASSERT_TRUE(PutOnClipboard(number.window(), "Tel: +1 (555) 010-9999\r\n"));
    SendMessageA(number.window(), WM_PASTE, 0, 0);
    EXPECT_EQ(" +1 (555) 010-9999", number.Text());

    ASSERT_TRUE(PutOnClipboard(header.window(), "Ann\r\nSmith\t!"));
    SendMessageA(header.window(), WM_PASTE, 0, 0);
    EXPECT_EQ("AnnSmith!", header.Text());

    // The text limit holds for pasted text too.
    number.Clear();
    number.field.LimitText(5);
    ASSERT_TRUE(PutOnClipboard(number.window(), "1a2b3c4d5e6f7"));
    SendMessageA(number.window(), WM_PASTE, 0, 0);
    EXPECT_EQ("12345", number.Text());

    // Shift+Insert pastes through the same filter.
    number.Clear();
    ASSERT_TRUE(PutOnClipboard(number.window(), "9x8"));
    BYTE keys[256], shifted[256];
    GetKeyboardState(keys);
    memcpy(shifted, keys, sizeof keys);
    shifted[VK_SHIFT] = 0x80;
    SetKeyboardState(shifted);
    SendMessageA(number.window(), WM_KEYDOWN, VK_INSERT, 1);
    SetKeyboardState(keys);
    EXPECT_EQ("98", number.Text());

    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
}

TEST(FilteredEdit, DoubleByteCharactersStayWhole) {
    if (GetACP() != 932) GTEST_SKIP() << "needs a double-byte code page";
    EditUnderTest<CFaxIdEdit> number;
    EditUnderTest<CFaxHeaderField> header;
    const std::string katakana = "\x83\x41";  // its second byte is an "A"
    number.Type(katakana + "5");
    EXPECT_EQ("5", number.Text());
    header.Type(katakana + "5");
    EXPECT_EQ(katakana + "5", header.Text());
    // The same character packed into one message.
    SendMessageA(number.window(), WM_CHAR, 0x8341, 1);
    SendMessageA(header.window(), WM_CHAR, 0x8341, 1);
    EXPECT_EQ("5", number.Text());
    EXPECT_EQ(katakana + "5" + katakana, header.Text());
    EXPECT_EQ("12", std::string(number.field.Filter(("1" + katakana + "2").c_str())));
    EXPECT_EQ("1" + katakana + "2", std::string(header.field.Filter(("1" + katakana + "2").c_str())));
}

// The text limit counts bytes: typed, packed or pasted, a double-byte
// character that would end past it is refused whole, and a paste keeps what
// fits up to a whole character.
TEST(FilteredEdit, TextLimitCountsBytes) {
    if (GetACP() != 932) GTEST_SKIP() << "needs a double-byte code page";
    EditUnderTest<CFaxHeaderField> header;
    header.field.LimitText(5);
    const std::string hyo = "\x95\x5c";  // its second byte is a backslash
    header.Type("a" + hyo + hyo + hyo + "b");
    EXPECT_EQ("a" + hyo + hyo, header.Text());  // 5 bytes
    header.Clear();
    header.Type(hyo + hyo);
    SendMessageA(header.window(), WM_CHAR, 0x955C, 1);  // the same character packed
    header.Type("c");
    EXPECT_EQ(hyo + hyo + "c", header.Text());
    header.Type("d");
    EXPECT_EQ(hyo + hyo + "c", header.Text());
    // A typed character may replace a selection when the text then fits.
    SendMessageA(header.window(), EM_SETSEL, 0, -1);
    header.Type("e");
    EXPECT_EQ("e", header.Text());

    header.Clear();
    header.Type("ab");
    SendMessageA(header.window(), EM_SETSEL, 2, 2);
    ASSERT_TRUE(PutOnClipboard(header.window(), hyo + hyo + "x"));
    SendMessageA(header.window(), WM_PASTE, 0, 0);
    EXPECT_EQ("ab" + hyo, header.Text());  // the second character would end at byte 6
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
}

// A control that counts its limit in characters cuts a paste itself; what is
// kept still follows the bytes left beside the selection.
TEST(FilteredEdit, PasteTheControlCutsKeepsToTheByteLimit) {
    if (GetACP() != 932) GTEST_SKIP() << "needs a double-byte code page";
    auto times = [](int n, const std::string& s) {
        std::string out;
        while (n-- > 0) out += s;
        return out;
    };
    const std::string a = "\x82\xa0", i = "\x82\xa2";  // hiragana "a" and "i"
    struct Case {
        const char* what;
        std::string typed;
        int selStart, selEnd;  // -1: the caret stays after the typed text
        std::string pasted, left;
    } cases[] = {
        {"double-byte into an empty field", "", -1, -1, times(30, a), times(12, a)},
        {"ASCII after double-byte", times(10, a), -1, -1, std::string(20, 'x'),
         times(10, a) + "xxxxx"},
        {"a selection makes room", "ab" + times(10, a), 0, 2, times(20, i),
         times(2, i) + times(10, a)},
        {"the whole text selected", times(10, a), 0, -1, times(30, i), times(12, i)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EditUnderTest<CFaxHeaderField> name;
        name.field.LimitText(25);
        name.Type(c.typed);
        if (c.selStart >= 0) SendMessageA(name.window(), EM_SETSEL, c.selStart, c.selEnd);
        ASSERT_TRUE(PutOnClipboard(name.window(), c.pasted));
        SendMessageA(name.window(), WM_PASTE, 0, 0);
        EXPECT_EQ(c.left, name.Text());
    }
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
}
