// The resource modules: every template the pages need, with the controls they
// use, texts that expand completely and fit their controls, the message
// strings, the name=value ranges and the artwork.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/expand.h"
#include "resources/resource_ids.h"
#include "tests/support/test_support.h"

namespace {

const int kPages[] = {2805, 2808, 2809, 2810, 2811, 2812, 2813, 2814, 2815, 2817, 2818, 2821};
const int kMessageStrings[] = {5501, 5502, 5513, 5514, 5515, 5516, 5519, 5520,
                               5521, 5522, 5523, 5524, 5525};
// Loaded through the UI extension library, which may expand from the first
// name range alone.
const int kMacroStrings[] = {5501, 5502, 5513, 5514, 5515, 5516, 5522};
// Loaded with the plain string loader: never expanded.
const int kPlainStrings[] = {5519, 5520, 5521, 5522, 5523, 5524, 5525};

// A number as long as the number fields take.
const char kLongNumber[] = "+49 (0)30 1234567890";

INT_PTR CALLBACK TrivialProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

std::string WindowText(HWND window) {
    int length = GetWindowTextLengthA(window);
    std::string text(length + 1, '\0');
    GetWindowTextA(window, &text[0], length + 1);
    text.resize(strlen(text.c_str()));
    return text;
}

std::string ClassOf(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

bool IsEditOrCombo(HWND window) {
    std::string cls = ClassOf(window);
    return lstrcmpiA(cls.c_str(), "edit") == 0 || lstrcmpiA(cls.c_str(), "combobox") == 0;
}

std::vector<HWND> Children(HWND dialog) {
    std::vector<HWND> out;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) out.push_back(c);
    return out;
}

LONG StyleOf(HWND window) { return GetWindowLongA(window, GWL_STYLE); }

bool IsRadio(HWND window) {
    LONG type = StyleOf(window) & BS_TYPEMASK;
    return ClassOf(window) == "Button" && (type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON);
}

bool IsPushButton(HWND window) {
    LONG type = StyleOf(window) & BS_TYPEMASK;
    return ClassOf(window) == "Button" && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
}

std::string Expanded(std::string text, WORD secondId = IDS_NAMES_MAKER) {
    std::vector<char> buffer(std::max<size_t>(2 * (text.size() + 1), 512));
    strcpy(buffer.data(), text.c_str());
    ExpandWithStringResources(buffer.data(), (short)buffer.size(), nullptr, IDS_NAMES_PRODUCT,
                              secondId, StandardValueFlags);
    return buffer.data();
}

// Size of text drawn as the control draws it, wrapped to width.
SIZE TextExtent(HWND control, const std::string& text, int width, UINT flags, bool bold = false) {
    HDC dc = GetDC(control);
    HFONT font = (HFONT)SendMessageA(control, WM_GETFONT, 0, 0);
    HFONT boldFont = nullptr;
    if (bold && font) {
        LOGFONTA lf;
        GetObjectA(font, sizeof lf, &lf);
        lf.lfWeight = FW_BOLD;
        boldFont = CreateFontIndirectA(&lf);
    }
    HGDIOBJ old = SelectObject(dc, boldFont ? boldFont : font);
    RECT r = {0, 0, width, 0};
    DrawTextA(dc, text.c_str(), -1, &r, flags | DT_CALCRECT);
    SelectObject(dc, old);
    if (boldFont) DeleteObject(boldFont);
    ReleaseDC(control, dc);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

// A module, the language of its resources and the ANSI code page its texts
// need: the pages read them through the ANSI calls.
struct Module {
    const char* file;
    LANGID language;
    UINT codePage;
};

class ResourceModuleTest : public ::testing::TestWithParam<Module> {
protected:
    void SetUp() override {
        // In another code page the texts would come out as "?" and every
        // measure below would be a measure of question marks.
        ASSERT_EQ(GetParam().codePage, GetACP())
            << GetParam().file << " is checked in a process of its own code page";
        std::string path = wiztest::BinDir() + "\\" + GetParam().file;
        module_ = LoadLibraryA(path.c_str());
        ASSERT_NE(nullptr, module_) << "cannot load " << path;
        previous_ = GetLibraryResourceInstance();
        SetLibraryResourceInstance(module_);
    }
    void TearDown() override {
        for (HWND d : dialogs_) DestroyWindow(d);
        SetLibraryResourceInstance(previous_);
        if (module_) FreeLibrary(module_);
    }

    // The dialog, created hidden and kept until the test ends.
    HWND Dialog(int id) {
        HWND d = CreateDialogParamA(module_, MAKEINTRESOURCEA(id), nullptr, TrivialProc, 0);
        if (d) dialogs_.push_back(d);
        return d;
    }

    std::string String(UINT id) {
        char text[1024] = "";
        LoadStringA(module_, id, text, sizeof text);
        return text;
    }

    // Expands the texts of a dialog as the page base does, and fills the
    // answering machine texts as that page does.
    void ExpandLikeThePages(HWND dialog, int id, const std::string& number) {
        for (HWND c : Children(dialog))
            if (!IsEditOrCombo(c)) SetWindowTextA(c, Expanded(WindowText(c)).c_str());
        SetWindowTextA(dialog, Expanded(WindowText(dialog)).c_str());
        if (id == IDD_ANSWERING_MACHINE) {
            char out[1024];
            snprintf(out, sizeof out, Expanded(String(IDS_TAM_QUESTION), 0).c_str(), number.c_str());
            SetDlgItemTextA(dialog, IDC_TAM_QUESTION, out);
            snprintf(out, sizeof out, Expanded(String(IDS_TAM_YES_TEXT), 0).c_str(), number.c_str());
            SetDlgItemTextA(dialog, IDC_TAM_YES_TEXT, out);
        }
    }

    HMODULE module_ = nullptr;
    HINSTANCE previous_ = nullptr;
    std::vector<HWND> dialogs_;
};

// ---- templates and their controls ----

TEST_P(ResourceModuleTest, EveryPageHasTheFrameControls) {
    RECT first = {};
    for (int id : kPages) {
        SCOPED_TRACE(id);
        HWND d = Dialog(id);
        ASSERT_NE(nullptr, d);
        EXPECT_FALSE(IsWindowVisible(d)) << "the framework shows the page itself";
        for (int control : {IDC_BACK, IDC_NEXT, IDC_ARTWORK, IDCANCEL, IDC_PAGE_TITLE})
            EXPECT_NE(nullptr, GetDlgItem(d, control)) << control;
        EXPECT_TRUE(IsPushButton(GetDlgItem(d, IDC_BACK)));
        EXPECT_TRUE(IsPushButton(GetDlgItem(d, IDCANCEL)));
        // Enter goes through Next, with the page's checks, never straight to OK.
        EXPECT_EQ(BS_DEFPUSHBUTTON, StyleOf(GetDlgItem(d, IDC_NEXT)) & BS_TYPEMASK);
        EXPECT_EQ(nullptr, GetDlgItem(d, IDOK));
        // The first page and the page without a way back keep Back disabled.
        bool backless = id == IDD_WELCOME || id == IDD_SAME_NUMBER;
        EXPECT_EQ(backless, !IsWindowEnabled(GetDlgItem(d, IDC_BACK)));
        // Pages line up only when they share one size.
        RECT r;
        GetWindowRect(d, &r);
        if (id == kPages[0]) first = r;
        EXPECT_EQ(first.right - first.left, r.right - r.left);
        EXPECT_EQ(first.bottom - first.top, r.bottom - r.top);
    }
    std::string next = WindowText(GetDlgItem(Dialog(IDD_WELCOME), IDC_NEXT));
    std::string finish = WindowText(GetDlgItem(Dialog(IDD_FINISH), IDC_NEXT));
    EXPECT_FALSE(finish.empty());
    EXPECT_NE(next, finish) << "the last page's Next button finishes";
}

// Tab goes in reading order: the page's own controls, then Back, Next and
// Cancel, each reachable from the keyboard. (A page without fields puts the
// focus on Next itself.)
TEST_P(ResourceModuleTest, TabOrderEndsWithBackNextCancel) {
    for (int id : kPages) {
        SCOPED_TRACE(id);
        HWND d = Dialog(id);
        std::vector<int> stops;
        for (HWND c = GetWindow(d, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            if (StyleOf(c) & WS_TABSTOP) stops.push_back(GetDlgCtrlID(c));
        ASSERT_LE(3u, stops.size());
        EXPECT_EQ((std::vector<int>{IDC_BACK, IDC_NEXT, IDCANCEL}),
                  std::vector<int>(stops.end() - 3, stops.end()));
    }
}

TEST_P(ResourceModuleTest, EditFieldsWhereThePagesAttachTheirs) {
    const struct { int page, control; } fields[] = {
        {IDD_NAME_COMPANY, IDC_USER_NAME}, {IDD_NAME_COMPANY, IDC_COMPANY},
        {IDD_FAX_NUMBER, IDC_FAX_NUMBER},  {IDD_VOICE_NUMBER, IDC_VOICE_NUMBER},
        {IDD_SHARED_NUMBER, IDC_SHARED_NUMBER}};
    for (const auto& f : fields) {
        SCOPED_TRACE(f.control);
        HWND edit = GetDlgItem(Dialog(f.page), f.control);
        ASSERT_NE(nullptr, edit);
        EXPECT_EQ(0, lstrcmpiA("edit", ClassOf(edit).c_str()));
        EXPECT_TRUE(StyleOf(edit) & WS_TABSTOP);
        EXPECT_TRUE(StyleOf(edit) & ES_AUTOHSCROLL) << "a long name scrolls instead of stopping";
        EXPECT_FALSE(StyleOf(edit) & ES_MULTILINE);
    }
}

TEST_P(ResourceModuleTest, RadioGroupsStartAndEndWhereThePagesExpect) {
    const struct { int page, first, second; } groups[] = {
        {IDD_DEDICATED_LINE, IDC_LINE_DEDICATED, IDC_LINE_SHARED},
        {IDD_SAME_NUMBER, IDC_SAME_DEDICATED, IDC_SAME_SHARED},
        {IDD_ANSWERING_MACHINE, IDC_TAM_YES, IDC_TAM_NO},
        {IDD_MODEM, IDC_MODEM_YES, IDC_MODEM_NO},
        {IDD_DEVICE_OPTION, IDC_OPTION_YES, IDC_OPTION_NO}};
    for (const auto& g : groups) {
        SCOPED_TRACE(g.page);
        HWND d = Dialog(g.page);
        HWND first = GetDlgItem(d, g.first);
        ASSERT_NE(nullptr, first);
        EXPECT_TRUE(IsRadio(first));
        EXPECT_TRUE(StyleOf(first) & WS_GROUP);
        EXPECT_TRUE(StyleOf(first) & WS_TABSTOP);
        // The group runs to the next WS_GROUP: exactly the two answers.
        HWND second = GetWindow(first, GW_HWNDNEXT);
        ASSERT_NE(nullptr, second);
        EXPECT_EQ(g.second, GetDlgCtrlID(second));
        EXPECT_TRUE(IsRadio(second));
        EXPECT_FALSE(StyleOf(second) & WS_GROUP);
        HWND after = GetWindow(second, GW_HWNDNEXT);
        ASSERT_NE(nullptr, after);
        EXPECT_TRUE(StyleOf(after) & WS_GROUP) << "group runs on into control " << GetDlgCtrlID(after);
        // Only the first button of each group starts one.
        int radios = 0;
        for (HWND c : Children(d)) radios += IsRadio(c);
        EXPECT_EQ(2, radios);
    }
}

TEST_P(ResourceModuleTest, AnsweringMachineTextLetsClicksThrough) {
    HWND d = Dialog(IDD_ANSWERING_MACHINE);
    HWND question = GetDlgItem(d, IDC_TAM_QUESTION);
    HWND text = GetDlgItem(d, IDC_TAM_YES_TEXT);
    ASSERT_NE(nullptr, question);
    ASSERT_NE(nullptr, text);
    EXPECT_EQ(0, lstrcmpiA("static", ClassOf(text).c_str()));
    EXPECT_EQ(0, lstrcmpiA("static", ClassOf(question).c_str()));
    // A static without SS_NOTIFY is transparent to the mouse, so the page sees the click.
    EXPECT_EQ(HTTRANSPARENT, (int)SendMessageA(text, WM_NCHITTEST, 0, 0));
    // The fax number is inserted as it is: an "&" in it must not turn into a mnemonic.
    EXPECT_TRUE(StyleOf(text) & SS_NOPREFIX);
    EXPECT_TRUE(StyleOf(question) & SS_NOPREFIX);
}

TEST_P(ResourceModuleTest, SummaryPageHasItsTwoButtons) {
    HWND d = Dialog(IDD_SUMMARY);
    for (int id : {IDC_README, IDC_DEVICE_COMMAND}) {
        HWND b = GetDlgItem(d, id);
        ASSERT_NE(nullptr, b) << id;
        EXPECT_TRUE(IsPushButton(b));
        EXPECT_TRUE(IsWindowEnabled(b));
        EXPECT_FALSE(WindowText(b).empty());
    }
}

TEST_P(ResourceModuleTest, QuitConfirmationAnswersWithOkOrCancel) {
    HWND d = Dialog(IDD_QUIT_CONFIRM);
    ASSERT_NE(nullptr, d);
    EXPECT_TRUE(IsPushButton(GetDlgItem(d, IDOK)));
    EXPECT_TRUE(IsPushButton(GetDlgItem(d, IDCANCEL)));
    EXPECT_EQ(nullptr, GetDlgItem(d, IDC_BACK));
    EXPECT_EQ(nullptr, GetDlgItem(d, IDC_NEXT));
    // It has no owner while the pages are topmost; it must not open behind them.
    EXPECT_TRUE(GetWindowLongA(d, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_P(ResourceModuleTest, OtherIdsAreNoTemplates) {
    for (int id : {2806, 2807, 2816, 2819})
        EXPECT_EQ(nullptr, FindResourceA(module_, MAKEINTRESOURCEA(id), (LPCSTR)RT_DIALOG)) << id;
}

// ---- texts ----

// Every template and string is marked with the module's language, so the
// system shows them with that language's fonts and rules.
TEST_P(ResourceModuleTest, ResourcesCarryTheModulesLanguage) {
    const LANGID language = GetParam().language;
    std::vector<int> ids(std::begin(kPages), std::end(kPages));
    ids.push_back(IDD_QUIT_CONFIRM);
    for (int id : ids)
        EXPECT_NE(nullptr, FindResourceExA(module_, (LPCSTR)RT_DIALOG, MAKEINTRESOURCEA(id), language))
            << "template " << id;
    // Strings live in blocks of 16: block n holds ids 16 (n - 1) to 16 n - 1.
    for (UINT id : {(UINT)IDS_TAM_QUESTION, (UINT)IDS_NOT_SET, (UINT)IDS_NAMES_PRODUCT, (UINT)IDS_NAMES_MAKER})
        EXPECT_NE(nullptr, FindResourceExA(module_, (LPCSTR)RT_STRING, MAKEINTRESOURCEA(id / 16 + 1), language))
            << "string " << id;
}

// A character the ANSI code page lacks reaches the pages as "?".
TEST_P(ResourceModuleTest, EveryTextHasItsCharactersInTheCodePage) {
    auto representable = [](const std::wstring& text) {
        BOOL lost = FALSE;
        if (text.empty()) return true;
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, nullptr, 0, nullptr, &lost);
        return !lost;
    };
    std::vector<int> ids(std::begin(kPages), std::end(kPages));
    ids.push_back(IDD_QUIT_CONFIRM);
    for (int id : ids) {
        HWND d = Dialog(id);
        std::vector<HWND> windows = Children(d);
        windows.push_back(d);
        for (HWND w : windows) {
            wchar_t text[1024] = L"";
            GetWindowTextW(w, text, 1024);
            EXPECT_TRUE(representable(text)) << "template " << id << ", control " << GetDlgCtrlID(w);
        }
    }
    std::vector<int> strings(std::begin(kMessageStrings), std::end(kMessageStrings));
    for (int first : {IDS_NAMES_PRODUCT, IDS_NAMES_MAKER})
        for (int id = first; !String(id).empty() && String(id)[0] != '*'; ++id) strings.push_back(id);
    for (int id : strings) {
        wchar_t text[1024] = L"";
        LoadStringW(module_, id, text, 1024);
        EXPECT_TRUE(representable(text)) << "string " << id;
    }
}

TEST_P(ResourceModuleTest, DialogTextsExpandCompletely) {
    std::vector<int> ids(std::begin(kPages), std::end(kPages));
    ids.push_back(IDD_QUIT_CONFIRM);
    for (int id : ids) {
        SCOPED_TRACE(id);
        HWND d = Dialog(id);
        std::vector<HWND> windows = Children(d);
        windows.push_back(d);
        for (HWND w : windows) {
            if (IsEditOrCombo(w)) continue;
            std::string raw = WindowText(w);
            EXPECT_EQ(std::string::npos, raw.find(';')) << "a semicolon cuts: " << raw;
            if (!raw.empty()) {
                EXPECT_NE(' ', raw.front()) << raw;
                EXPECT_NE(' ', raw.back()) << raw;
            }
            std::string text = Expanded(raw);
            EXPECT_EQ(std::string::npos, text.find('$')) << raw << " -> " << text;
        }
        EXPECT_NE(std::string::npos, Expanded(WindowText(d)).find("Corvantis"))
            << "the caption names the product";
    }
}

TEST_P(ResourceModuleTest, NoMnemonicTwiceOnAPage) {
    std::vector<int> ids(std::begin(kPages), std::end(kPages));
    ids.push_back(IDD_QUIT_CONFIRM);
    for (int id : ids) {
        SCOPED_TRACE(id);
        std::map<char, std::string> seen;
        for (HWND c : Children(Dialog(id))) {
            if (ClassOf(c) == "Static" && (StyleOf(c) & SS_NOPREFIX)) continue;
            std::string text = WindowText(c);
            size_t amp = text.find('&');
            if (amp == std::string::npos || amp + 1 >= text.size()) continue;
            char key = (char)toupper((unsigned char)text[amp + 1]);
            EXPECT_EQ(0u, seen.count(key)) << "'" << key << "' in " << text << " and " << seen[key];
            seen[key] = text;
        }
    }
}

// Every text must show whole: the longest translation, the bold title, and the
// answering machine texts with the longest number the fields take.
TEST_P(ResourceModuleTest, TextsFitTheirControls) {
    std::vector<int> ids(std::begin(kPages), std::end(kPages));
    ids.push_back(IDD_QUIT_CONFIRM);
    const int checkWidth = GetSystemMetrics(SM_CXMENUCHECK) + 6;
    for (const std::string& number : {std::string(kLongNumber), Expanded(String(IDS_NOT_SET), 0)}) {
        for (int id : ids) {
            SCOPED_TRACE(id);
            HWND d = Dialog(id);
            ExpandLikeThePages(d, id, number);
            for (HWND c : Children(d)) {
                std::string text = WindowText(c);
                if (text.empty() || IsEditOrCombo(c)) continue;
                RECT r;
                GetClientRect(c, &r);
                LONG style = StyleOf(c);
                UINT prefix = ClassOf(c) == "Static" && (style & SS_NOPREFIX) ? DT_NOPREFIX : 0;
                if (ClassOf(c) == "Static") {
                    bool bold = GetDlgCtrlID(c) == IDC_PAGE_TITLE;
                    SIZE s = TextExtent(c, text, r.right, DT_WORDBREAK | DT_EXPANDTABS | prefix, bold);
                    EXPECT_LE(s.cx, r.right) << text;
                    EXPECT_LE(s.cy, r.bottom) << "clipped: " << text;
                } else if (IsRadio(c)) {
                    SIZE s = TextExtent(c, text, 0, DT_SINGLELINE);
                    EXPECT_LE(s.cx + checkWidth, r.right) << "clipped: " << text;
                    EXPECT_LE(s.cy, r.bottom) << text;
                } else if (IsPushButton(c)) {
                    SIZE s = TextExtent(c, text, 0, DT_SINGLELINE);
                    EXPECT_LE(s.cx + 8, r.right) << "clipped: " << text;
                }
            }
        }
    }
}

TEST_P(ResourceModuleTest, ControlsStayInsideAndApart) {
    std::vector<int> ids(std::begin(kPages), std::end(kPages));
    ids.push_back(IDD_QUIT_CONFIRM);
    for (int id : ids) {
        SCOPED_TRACE(id);
        HWND d = Dialog(id);
        RECT client;
        GetClientRect(d, &client);
        std::vector<std::pair<int, RECT>> rects;
        for (HWND c : Children(d)) {
            RECT r;
            GetWindowRect(c, &r);
            MapWindowPoints(nullptr, d, (POINT*)&r, 2);
            EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom)
                << "control " << GetDlgCtrlID(c) << " leaves the page";
            rects.push_back({GetDlgCtrlID(c), r});
        }
        for (size_t i = 0; i < rects.size(); ++i)
            for (size_t j = i + 1; j < rects.size(); ++j) {
                RECT overlap;
                EXPECT_FALSE(IntersectRect(&overlap, &rects[i].second, &rects[j].second))
                    << "controls " << rects[i].first << " and " << rects[j].first << " overlap";
            }
    }
}

TEST_P(ResourceModuleTest, MessageStrings) {
    for (int id : kMessageStrings) {
        SCOPED_TRACE(id);
        std::string raw = String(id);
        ASSERT_FALSE(raw.empty());
        EXPECT_EQ(std::string::npos, raw.find(';'));
        EXPECT_NE(' ', raw.front());
        EXPECT_NE(' ', raw.back());
        EXPECT_EQ(std::string::npos, Expanded(raw).find('$'));
    }
    for (int id : kMacroStrings)
        EXPECT_EQ(std::string::npos, Expanded(String(id), 0).find('$'))
            << id << " needs a name outside the first range";
    for (int id : kPlainStrings)
        EXPECT_EQ(std::string::npos, String(id).find('$')) << id << " is shown unexpanded";
    // The two label formats take exactly one string: the fax number.
    for (int id : {IDS_TAM_QUESTION, IDS_TAM_YES_TEXT}) {
        std::string format = Expanded(String(id), 0);
        size_t at = format.find('%');
        ASSERT_NE(std::string::npos, at) << id;
        EXPECT_EQ('s', format[at + 1]) << id;
        EXPECT_EQ(std::string::npos, format.find('%', at + 1)) << id;
        char out[512];
        snprintf(out, sizeof out, format.c_str(), kLongNumber);
        EXPECT_NE(nullptr, strstr(out, kLongNumber));
    }
}

TEST_P(ResourceModuleTest, NameRangesEndWithStar) {
    std::set<std::string> names;
    for (UINT first : {IDS_NAMES_PRODUCT, IDS_NAMES_MAKER}) {
        SCOPED_TRACE(first);
        bool closed = false;
        for (UINT id = first; id < first + 64; ++id) {
            std::string text = String(id);
            ASSERT_FALSE(text.empty()) << "range not closed before missing id " << id;
            if (text[0] == '*') {
                closed = true;
                break;
            }
            size_t eq = text.find('=');
            ASSERT_NE(std::string::npos, eq) << text;
            std::string name = text.substr(0, eq);
            EXPECT_FALSE(name.empty()) << text;
            EXPECT_EQ(std::string::npos, name.find_first_of(" $")) << text;
            EXPECT_LT(eq + 1, text.size()) << "an empty value counts as unknown: " << text;
            EXPECT_TRUE(names.insert(name).second) << name << " defined twice";
        }
        EXPECT_TRUE(closed);
    }
    for (const char* name : {"ProductName", "ModelName", "WizardTitle"})
        EXPECT_TRUE(names.count(name)) << name;
    EXPECT_EQ("Corvantis FX-420", Expanded("$ProductName$", 0));
}

// ---- artwork ----

struct DibHeader {
    BITMAPINFOHEADER info;
    std::vector<RGBQUAD> colours;
};

bool ReadDib(HMODULE module, int id, DibHeader* out) {
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), (LPCSTR)RT_BITMAP);
    if (!found) return false;
    const BYTE* data = (const BYTE*)LockResource(LoadResource(module, found));
    DWORD size = SizeofResource(module, found);
    if (!data || size < sizeof(BITMAPINFOHEADER)) return false;
    memcpy(&out->info, data, sizeof out->info);
    size_t table = out->info.biBitCount <= 8 ? (1u << out->info.biBitCount) : 0;
    if (size < out->info.biSize + table * sizeof(RGBQUAD)) return false;
    out->colours.assign((const RGBQUAD*)(data + out->info.biSize),
                        (const RGBQUAD*)(data + out->info.biSize) + table);
    return true;
}

TEST_P(ResourceModuleTest, ArtworkIsEightBitWithTheWizardPalette) {
    DibHeader wizard;
    ASSERT_TRUE(ReadDib(module_, IDB_ART_WELCOME, &wizard));
    // Every picture in each size, the larger ones 100 apart; one
    // size is one width and height, each larger than the one before.
    LONG smallerWidth = 0, smallerHeight = 0;
    for (int size = 0; size < 4; ++size) {
        DibHeader first;
        ASSERT_TRUE(ReadDib(module_, IDB_ART_SUMMARY + 100 * size, &first)) << size;
        EXPECT_GT(first.info.biWidth, smallerWidth) << size;
        EXPECT_GT(first.info.biHeight, smallerHeight) << size;
        smallerWidth = first.info.biWidth;
        smallerHeight = first.info.biHeight;
        for (int id = IDB_ART_SUMMARY + 100 * size; id <= IDB_ART_WELCOME + 100 * size; ++id) {
            SCOPED_TRACE(id);
            DibHeader dib;
            ASSERT_TRUE(ReadDib(module_, id, &dib));
            EXPECT_EQ(40u, dib.info.biSize);
            EXPECT_EQ(8, dib.info.biBitCount);
            EXPECT_EQ((DWORD)BI_RGB, dib.info.biCompression);
            EXPECT_EQ(first.info.biWidth, dib.info.biWidth);
            EXPECT_EQ(first.info.biHeight, dib.info.biHeight);
            // Drawn in the palette built from 2833, every picture keeps its colours.
            ASSERT_EQ(256u, dib.colours.size());
            EXPECT_EQ(0, memcmp(wizard.colours.data(), dib.colours.data(), 256 * sizeof(RGBQUAD)));
            HBITMAP bitmap = LoadBitmapA(module_, MAKEINTRESOURCEA(id));
            ASSERT_NE(nullptr, bitmap);
            DeleteObject(bitmap);
        }
    }
    // The picture is stretched onto the art frame: in the Western dialog font
    // it fits exactly; in any font it keeps its shape and is never enlarged.
    RECT r;
    GetClientRect(GetDlgItem(Dialog(IDD_WELCOME), IDC_ARTWORK), &r);
    if (GetParam().codePage == 1252) {
        EXPECT_EQ(wizard.info.biWidth, r.right);
        EXPECT_EQ(wizard.info.biHeight, r.bottom);
    }
    EXPECT_LE(r.right, wizard.info.biWidth);
    EXPECT_LE(r.bottom, wizard.info.biHeight);
    double picture = (double)wizard.info.biWidth / wizard.info.biHeight;
    double frame = (double)r.right / r.bottom;
    EXPECT_NEAR(picture, frame, picture * 0.02) << "frame " << r.right << " x " << r.bottom;
}

INSTANTIATE_TEST_SUITE_P(
    Languages, ResourceModuleTest,
    ::testing::Values(Module{"FXWRES.ENU", MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), 1252},
                      Module{"FXWRES.DEU", MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), 1252},
                      Module{"FXWRES.FRA", MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH), 1252},
                      Module{"FXWRES.ESP", MAKELANGID(LANG_SPANISH, SUBLANG_SPANISH_MODERN), 1252},
                      Module{"FXWRES.JPN", MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), 932}),
    [](const ::testing::TestParamInfo<Module>& info) { return std::string(info.param.file).substr(7); });

}  // namespace
