// Keyboard and screen reader use of the compiled templates, read from each
// module as it ships: access keys, edit field labels, group starts, the
// default button, and texts that fit their controls at 96, 120, 144 and 192
// DPI in the template's own font.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "common/expand.h"
#include "resources/resource_ids.h"
#include "tests/support/test_support.h"

namespace {

// ---- the template, as the dialog manager reads it ----

struct Control {
    DWORD style = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;
    std::string cls;   // lower case: "button", "edit", "static", ...
    std::string text;  // in the ANSI code page, as the pages read it
};

struct Template {
    DWORD style = 0;
    int cx = 0, cy = 0;
    int pointSize = 0, weight = 0;
    bool italic = false;
    std::string face;
    std::vector<Control> controls;
};

std::string Ansi(const std::wstring& text) {
    if (text.empty()) return "";
    int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, &out[0], n, nullptr, nullptr);
    out.resize(n - 1);
    return out;
}

// Reads DLGTEMPLATEEX; false on anything else or on a short resource.
class TemplateReader {
public:
    TemplateReader(const BYTE* data, size_t size) : p_(data), end_(data + size), base_(data) {}

    bool Read(Template* t) {
        WORD version = Word(), signature = Word();
        if (version != 1 || signature != 0xFFFF) return false;
        Dword();  // help id
        Dword();  // extended style
        t->style = Dword();
        int count = Word();
        Word();
        Word();
        t->cx = (short)Word();
        t->cy = (short)Word();
        NameOrOrdinal();  // menu
        NameOrOrdinal();  // class
        Text();           // caption
        if (t->style & (DS_SETFONT | DS_SHELLFONT)) {
            t->pointSize = Word();
            t->weight = Word();
            t->italic = Byte() != 0;
            Byte();  // character set: the dialog manager asks for DEFAULT_CHARSET
            t->face = Ansi(Text());
        }
        for (int i = 0; i < count && ok_; ++i) {
            Align();
            Control c;
            Dword();  // help id
            Dword();  // extended style
            c.style = Dword();
            c.x = (short)Word();
            c.y = (short)Word();
            c.cx = (short)Word();
            c.cy = (short)Word();
            c.id = (int)Dword();
            c.cls = ClassName();
            c.text = Ansi(NameOrOrdinal());
            int extra = Word();
            p_ += extra;
            t->controls.push_back(c);
        }
        return ok_ && p_ <= end_;
    }

private:
    bool Has(size_t n) {
        if ((size_t)(end_ - p_) < n) ok_ = false;
        return ok_;
    }
    BYTE Byte() { return Has(1) ? *p_++ : 0; }
    WORD Word() {
        if (!Has(2)) return 0;
        WORD w;
        memcpy(&w, p_, 2);
        p_ += 2;
        return w;
    }
    DWORD Dword() {
        DWORD low = Word();
        return low | (DWORD)Word() << 16;
    }
    void Align() { p_ = base_ + ((p_ - base_ + 3) & ~(size_t)3); }
    std::wstring Text() {
        std::wstring s;
        for (WORD c; ok_ && (c = Word()) != 0;) s += (wchar_t)c;
        return s;
    }
    // An ordinal reads as empty text; class ordinals are mapped by ClassName.
    std::wstring NameOrOrdinal() {
        if (!Has(2)) return L"";
        WORD first;
        memcpy(&first, p_, 2);
        if (first == 0xFFFF) {
            Word();
            ordinal_ = Word();
            return L"";
        }
        ordinal_ = 0;
        return Text();
    }
    std::string ClassName() {
        std::string name = Ansi(NameOrOrdinal());
        if (name.empty()) {
            static const char* const kAtoms[] = {"button",  "edit",      "static",
                                                 "listbox", "scrollbar", "combobox"};
            if (ordinal_ >= 0x80 && ordinal_ <= 0x85) return kAtoms[ordinal_ - 0x80];
            return "#" + std::to_string(ordinal_);
        }
        CharLowerA(&name[0]);
        return name;
    }

    const BYTE* p_;
    const BYTE* end_;
    const BYTE* base_;
    WORD ordinal_ = 0;
    bool ok_ = true;
};

// ---- kinds of controls ----

bool IsButtonOfType(const Control& c, std::initializer_list<DWORD> types) {
    if (c.cls != "button") return false;
    for (DWORD t : types)
        if ((c.style & BS_TYPEMASK) == t) return true;
    return false;
}
bool IsRadio(const Control& c) { return IsButtonOfType(c, {BS_RADIOBUTTON, BS_AUTORADIOBUTTON}); }
bool IsPush(const Control& c) { return IsButtonOfType(c, {BS_PUSHBUTTON, BS_DEFPUSHBUTTON}); }
bool IsEdit(const Control& c) { return c.cls == "edit"; }
bool IsStatic(const Control& c) { return c.cls == "static"; }
bool IsTextStatic(const Control& c) {
    DWORD type = c.style & SS_TYPEMASK;
    return IsStatic(c) && (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT ||
                           type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE);
}
bool ShowsPrefix(const Control& c) { return !(IsStatic(c) && (c.style & SS_NOPREFIX)); }

// The key a text's "&" gives, upper case, or 0. "&&" is a plain "&"; the
// second byte of a double-byte character is never taken for one.
unsigned char AccessKey(const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = (unsigned char)text[i];
        if (IsDBCSLeadByte(c)) {
            ++i;
            continue;
        }
        if (c != '&' || i + 1 >= text.size()) continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        char key[2] = {text[i + 1], 0};
        if (IsDBCSLeadByte((BYTE)key[0])) return 0;
        CharUpperA(key);
        return (unsigned char)key[0];
    }
    return 0;
}

// Japanese texts write the key after the words, as "(&M)", a Latin letter or
// digit that the keyboard types in any input mode.
bool KeyInBrackets(const std::string& text) {
    size_t at = text.find("(&");
    return at != std::string::npos && at + 3 < text.size() && isalnum((unsigned char)text[at + 2]) &&
           text[at + 3] == ')';
}

std::string Describe(const Control& c) { return "control " + std::to_string(c.id) + " \"" + c.text + "\""; }

// The label a screen reader gives an edit field: the first static before it,
// as long as no tab stop or group start comes between. -1 when none.
int LabelOf(const Template& t, size_t field) {
    for (size_t j = field; j-- > 0;) {
        const Control& c = t.controls[j];
        if (IsStatic(c)) return (int)j;
        if (c.style & (WS_TABSTOP | WS_GROUP)) return -1;
    }
    return -1;
}

// ---- the rules; each returns what is wrong, empty when nothing ----

typedef std::vector<std::string> Problems;

// The rules read the template as the page shows it: texts expanded and filled in.
// The page's Cancel is left to Esc; on the quit confirmation IDCANCEL is the
// answer No and needs its key like any other button.
Problems CheckAccessKeys(const Template& t, bool isPage, bool bracketed) {
    Problems out;
    std::map<unsigned char, std::string> owners;
    auto take = [&](unsigned char key, const std::string& who) {
        if (!key) return;
        if (owners.count(key))
            out.push_back("access key '" + std::string(1, (char)key) + "' twice: " + owners[key] + " and " +
                          who);
        else
            owners[key] = who;
    };
    for (size_t i = 0; i < t.controls.size(); ++i) {
        const Control& c = t.controls[i];
        unsigned char key = ShowsPrefix(c) ? AccessKey(c.text) : 0;
        if (IsPush(c) && isPage && c.id == IDCANCEL) {
            if (key) out.push_back("Cancel has an access key, Esc is its key: " + Describe(c));
            continue;
        }
        if ((IsPush(c) || IsRadio(c)) && !key) out.push_back("no access key: " + Describe(c));
        if (IsEdit(c)) {
            int label = LabelOf(t, i);
            if (label < 0 || !ShowsPrefix(t.controls[label]) || !AccessKey(t.controls[label].text))
                out.push_back("edit " + std::to_string(c.id) + " has no access key in its label");
        }
        if (key && bracketed && !KeyInBrackets(c.text))
            out.push_back("key not written as (&X): " + Describe(c));
        take(key, Describe(c));
    }
    return out;
}

Problems CheckLabels(const Template& t) {
    Problems out;
    for (size_t i = 0; i < t.controls.size(); ++i) {
        if (!IsEdit(t.controls[i])) continue;
        int label = LabelOf(t, i);
        if (label < 0)
            out.push_back("edit " + std::to_string(t.controls[i].id) + " has no static text before it");
        else if (!IsTextStatic(t.controls[label]) || t.controls[label].text.empty())
            out.push_back("edit " + std::to_string(t.controls[i].id) + " is labelled by an empty static");
    }
    return out;
}

Problems CheckGroups(const Template& t, int defaultId) {
    Problems out;
    const auto& cs = t.controls;
    // A group starts at a radio button after any other control, or at one
    // that starts a group itself, and runs over the radio buttons after it.
    for (size_t i = 0; i < cs.size(); ++i) {
        bool starts = IsRadio(cs[i]) && (i == 0 || !IsRadio(cs[i - 1]) || (cs[i].style & WS_GROUP));
        if (!starts) continue;
        if ((cs[i].style & (WS_GROUP | WS_TABSTOP)) != (WS_GROUP | WS_TABSTOP))
            out.push_back("radio group does not start with WS_GROUP and WS_TABSTOP: " + Describe(cs[i]));
        size_t last = i;
        while (last + 1 < cs.size() && IsRadio(cs[last + 1]) && !(cs[last + 1].style & WS_GROUP)) ++last;
        if (last + 1 < cs.size() && !(cs[last + 1].style & WS_GROUP))
            out.push_back("radio group runs on into " + Describe(cs[last + 1]));
    }
    int defaults = 0;
    for (const Control& c : cs)
        if (IsButtonOfType(c, {BS_DEFPUSHBUTTON})) {
            ++defaults;
            if (c.id != defaultId)
                out.push_back("default button is not " + std::to_string(defaultId) + ": " + Describe(c));
        }
    if (defaults != 1) out.push_back(std::to_string(defaults) + " default buttons");
    return out;
}

Problems CheckInsideAndApart(const Template& t) {
    Problems out;
    const auto& cs = t.controls;
    for (const Control& c : cs)
        if (c.x < 0 || c.y < 0 || c.x + c.cx > t.cx || c.y + c.cy > t.cy)
            out.push_back("outside the page: " + Describe(c));
    for (size_t i = 0; i < cs.size(); ++i)
        for (size_t j = i + 1; j < cs.size(); ++j) {
            const Control &a = cs[i], &b = cs[j];
            if (a.x < b.x + b.cx && b.x < a.x + a.cx && a.y < b.y + b.cy && b.y < a.y + a.cy)
                out.push_back("overlap: " + Describe(a) + " and " + Describe(b));
        }
    return out;
}

// The template's font at a DPI and its dialog base units, as the dialog
// manager makes them.
class DialogFont {
public:
    DialogFont(const Template& t, int dpi) : dc_(GetDC(nullptr)) {
        regular_ = Make(t, dpi, t.weight);
        bold_ = Make(t, dpi, FW_BOLD);
        HGDIOBJ old = SelectObject(dc_, regular_);
        static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        SIZE s;
        GetTextExtentPoint32A(dc_, kLetters, 52, &s);
        TEXTMETRICA tm;
        GetTextMetricsA(dc_, &tm);
        SelectObject(dc_, old);
        unitX_ = (s.cx / 26 + 1) / 2;
        unitY_ = tm.tmHeight;
    }
    ~DialogFont() {
        DeleteObject(regular_);
        DeleteObject(bold_);
        ReleaseDC(nullptr, dc_);
    }
    int X(int dlu) const { return MulDiv(dlu, unitX_, 4); }
    int Y(int dlu) const { return MulDiv(dlu, unitY_, 8); }
    SIZE Measure(const std::string& text, int width, UINT flags, bool bold) const {
        HGDIOBJ old = SelectObject(dc_, bold ? bold_ : regular_);
        RECT r = {0, 0, width, 0};
        DrawTextA(dc_, text.c_str(), -1, &r, flags | DT_CALCRECT);
        SelectObject(dc_, old);
        return SIZE{r.right - r.left, r.bottom - r.top};
    }

private:
    static HFONT Make(const Template& t, int dpi, int weight) {
        return CreateFontA(-MulDiv(t.pointSize, dpi, 72), 0, 0, 0, weight, t.italic, FALSE, FALSE,
                           DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY,
                           FF_DONTCARE, t.face.c_str());
    }
    HDC dc_;
    HFONT regular_, bold_;
    int unitX_ = 0, unitY_ = 0;
};

// Every text shows whole in its control: statics wrapped to their width,
// buttons and radio buttons on one line, the radio's circle beside it.
Problems CheckFit(const Template& t, int dpi, bool isPage) {
    Problems out;
    DialogFont font(t, dpi);
    // The circle is 13 pixels at 96 DPI, with a gap before the text; a push
    // button's edge and focus rectangle take a few pixels each side.
    const int circle = MulDiv(13 + 6, dpi, 96);
    const int edges = MulDiv(8, dpi, 96);
    for (size_t i = 0; i < t.controls.size(); ++i) {
        const Control& c = t.controls[i];
        const std::string& text = c.text;
        if (text.empty()) continue;
        int width = font.X(c.cx), height = font.Y(c.cy);
        UINT prefix = ShowsPrefix(c) ? 0 : DT_NOPREFIX;
        std::string at = " at " + std::to_string(dpi) + " DPI: ";
        if (IsTextStatic(c)) {
            bool bold = isPage && c.id == IDC_PAGE_TITLE;
            UINT wrap = (c.style & SS_TYPEMASK) == SS_LEFTNOWORDWRAP || (c.style & SS_TYPEMASK) == SS_SIMPLE
                            ? DT_SINGLELINE
                            : DT_WORDBREAK | DT_EXPANDTABS;
            SIZE s = font.Measure(text, width, wrap | prefix, bold);
            if (s.cx > width || s.cy > height)
                out.push_back("text needs " + std::to_string(s.cx) + " x " + std::to_string(s.cy) + " of " +
                              std::to_string(width) + " x " + std::to_string(height) + at + text);
        } else if (IsRadio(c) || IsPush(c)) {
            SIZE s = font.Measure(text, 0, DT_SINGLELINE, false);
            int room = width - (IsRadio(c) ? circle : edges);
            if (s.cx > room || s.cy > height)
                out.push_back("button text needs " + std::to_string(s.cx) + " x " + std::to_string(s.cy) +
                              " of " + std::to_string(room) + " x " + std::to_string(height) + at + text);
        }
    }
    return out;
}

std::string Join(const Problems& problems) {
    std::string s;
    for (const auto& p : problems) s += "\n  " + p;
    return s;
}

// ---- the modules ----

const int kDpis[] = {96, 120, 144, 192};
// A number as long as the number fields take.
const char kLongNumber[] = "+49 (0)30 1234567890";

struct Module {
    const char* file;
    UINT codePage;
};

void PrintTo(const Module& m, std::ostream* os) { *os << m.file; }

const Module kModules[] = {{"FXWRES.ENU", 1252},
                           {"FXWRES.DEU", 1252},
                           {"FXWRES.FRA", 1252},
                           {"FXWRES.ESP", 1252},
                           {"FXWRES.JPN", 932}};
const int kTemplates[] = {IDD_WELCOME,      IDD_NAME_COMPANY, IDD_FINISH,        IDD_DEDICATED_LINE,
                          IDD_FAX_NUMBER,   IDD_VOICE_NUMBER, IDD_SHARED_NUMBER, IDD_ANSWERING_MACHINE,
                          IDD_MODEM,        IDD_SUMMARY,      IDD_SAME_NUMBER,   IDD_QUIT_CONFIRM,
                          IDD_DEVICE_OPTION};

class LoadedModule {
public:
    explicit LoadedModule(const Module& m) {
        std::string path = wiztest::BinDir() + "\\" + m.file;
        handle_ = LoadLibraryA(path.c_str());
        previous_ = GetLibraryResourceInstance();
        if (handle_) SetLibraryResourceInstance(handle_);
    }
    ~LoadedModule() {
        SetLibraryResourceInstance(previous_);
        if (handle_) FreeLibrary(handle_);
    }
    HMODULE handle() const { return handle_; }

    bool ReadTemplate(int id, Template* t) const {
        HRSRC found = FindResourceA(handle_, MAKEINTRESOURCEA(id), (LPCSTR)RT_DIALOG);
        if (!found) return false;
        const BYTE* data = (const BYTE*)LockResource(LoadResource(handle_, found));
        return data && TemplateReader(data, SizeofResource(handle_, found)).Read(t);
    }
    std::string String(UINT id) const {
        char text[1024] = "";
        LoadStringA(handle_, id, text, sizeof text);
        return text;
    }
    // As the page base expands dialog texts; second = 0 for message strings,
    // which the pages expand from the first range alone.
    static std::string Expanded(const std::string& text, WORD second = IDS_NAMES_MAKER) {
        std::vector<char> buffer(std::max<size_t>(2 * (text.size() + 1), 512));
        memcpy(buffer.data(), text.c_str(), text.size() + 1);
        ExpandWithStringResources(buffer.data(), (short)buffer.size(), nullptr, IDS_NAMES_PRODUCT, second,
                                  StandardValueFlags);
        return buffer.data();
    }

    // The template with its texts as the page shows them: expanded, and the
    // answering machine page's two texts filled with the fax number.
    Template Shown(int id, Template t, const std::string& number) const {
        for (Control& c : t.controls) {
            std::string text = IsEdit(c) ? c.text : Expanded(c.text);
            if (id == IDD_ANSWERING_MACHINE && (c.id == IDC_TAM_QUESTION || c.id == IDC_TAM_YES_TEXT)) {
                char filled[1024];
                std::string format =
                    Expanded(String(c.id == IDC_TAM_QUESTION ? IDS_TAM_QUESTION : IDS_TAM_YES_TEXT), 0);
                snprintf(filled, sizeof filled, format.c_str(), number.c_str());
                text = filled;
            }
            c.text = text;
        }
        return t;
    }

private:
    HMODULE handle_ = nullptr;
    HINSTANCE previous_ = nullptr;
};

std::string LanguageOf(const Module& m) { return std::string(m.file).substr(7); }

// ---- pages x languages x DPIs ----

INT_PTR CALLBACK TrivialProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

class AccessibilityTest : public ::testing::TestWithParam<std::tuple<Module, int, int>> {
protected:
    void SetUp() override {
        const Module& m = std::get<0>(GetParam());
        // In another code page the texts would be question marks.
        ASSERT_EQ(m.codePage, GetACP()) << m.file << " is checked in a process of its own code page";
        module_.reset(new LoadedModule(m));
        ASSERT_NE(nullptr, module_->handle()) << m.file;
        ASSERT_TRUE(module_->ReadTemplate(id(), &template_)) << "template " << id();
        ASSERT_FALSE(template_.controls.empty());
        shown_ = module_->Shown(id(), template_, kLongNumber);
    }
    int id() const { return std::get<1>(GetParam()); }
    int dpi() const { return std::get<2>(GetParam()); }
    bool isPage() const { return id() != IDD_QUIT_CONFIRM; }
    bool bracketed() const { return std::get<0>(GetParam()).codePage == 932; }

    std::unique_ptr<LoadedModule> module_;
    Template template_;
    Template shown_;
};

TEST_P(AccessibilityTest, EveryInputHasItsOwnAccessKey) {
    EXPECT_EQ("", Join(CheckAccessKeys(shown_, isPage(), bracketed())));
}

TEST_P(AccessibilityTest, EveryEditFieldHasALabel) { EXPECT_EQ("", Join(CheckLabels(shown_))); }

TEST_P(AccessibilityTest, GroupsStartAndEndAndOneDefaultButton) {
    EXPECT_EQ("", Join(CheckGroups(shown_, isPage() ? IDC_NEXT : IDOK)));
}

TEST_P(AccessibilityTest, ControlsStayInsideThePageAndApart) {
    EXPECT_EQ("", Join(CheckInsideAndApart(shown_)));
}

TEST_P(AccessibilityTest, TextsFitTheirControls) {
    std::string notSet = LoadedModule::Expanded(module_->String(IDS_NOT_SET), 0);
    for (const std::string& number : {std::string(kLongNumber), notSet}) {
        SCOPED_TRACE(number);
        Template shown = module_->Shown(id(), template_, number);
        EXPECT_EQ("", Join(CheckFit(shown, dpi(), isPage())));
        // Measured as shown: every name expanded, the number in both texts.
        for (const Control& c : shown.controls) {
            EXPECT_EQ(std::string::npos, c.text.find('$')) << Describe(c);
            if (id() == IDD_ANSWERING_MACHINE && (c.id == IDC_TAM_QUESTION || c.id == IDC_TAM_YES_TEXT)) {
                EXPECT_NE(std::string::npos, c.text.find(number)) << Describe(c);
            }
        }
    }
}

// The measure above must be the dialog manager's: at the screen's own DPI
// each control gets the size computed here.
TEST_P(AccessibilityTest, SizesAgreeWithTheDialogManager) {
    HDC screen = GetDC(nullptr);
    int screenDpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    if (dpi() != screenDpi) return;
    HWND dialog = CreateDialogParamA(module_->handle(), MAKEINTRESOURCEA(id()), nullptr, TrivialProc, 0);
    ASSERT_NE(nullptr, dialog);
    DialogFont font(template_, dpi());
    for (const Control& c : template_.controls) {
        if (c.id == -1) continue;  // the unnamed statics
        HWND control = GetDlgItem(dialog, c.id);
        ASSERT_NE(nullptr, control) << c.id;
        RECT r;
        GetWindowRect(control, &r);
        EXPECT_EQ(font.X(c.cx), r.right - r.left) << Describe(c);
        EXPECT_EQ(font.Y(c.cy), r.bottom - r.top) << Describe(c);
        EXPECT_EQ(c.style & (WS_GROUP | WS_TABSTOP),
                  (DWORD)GetWindowLongA(control, GWL_STYLE) & (WS_GROUP | WS_TABSTOP))
            << Describe(c);
    }
    DestroyWindow(dialog);
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<Module, int, int>>& info) {
    return LanguageOf(std::get<0>(info.param)) + "_" + std::to_string(std::get<1>(info.param)) + "_" +
           std::to_string(std::get<2>(info.param)) + "dpi";
}

INSTANTIATE_TEST_SUITE_P(Pages, AccessibilityTest,
                         ::testing::Combine(::testing::ValuesIn(kModules), ::testing::ValuesIn(kTemplates),
                                            ::testing::ValuesIn(kDpis)),
                         CaseName);

// ---- each rule finds a broken template ----

// A working page, broken in one way, must fail the one rule. The rule reads
// the page as shown, with the long fax number.
struct Breakage {
    const char* name;
    int page;
    std::function<void(Template*)> breakIt;
    std::function<Problems(const Template&)> rule;
    const Module* module;
};

void PrintTo(const Breakage& b, std::ostream* os) { *os << b.name; }

Control* Find(Template* t, int id) {
    for (Control& c : t->controls)
        if (c.id == id) return &c;
    return nullptr;
}
size_t IndexOf(const Template& t, int id) {
    for (size_t i = 0; i < t.controls.size(); ++i)
        if (t.controls[i].id == id) return i;
    return t.controls.size();
}
std::string WithoutAmpersand(std::string s) {
    s.erase(s.find('&'), 1);
    return s;
}

Problems Keys(const Template& t) { return CheckAccessKeys(t, true, false); }
Problems JapaneseKeys(const Template& t) { return CheckAccessKeys(t, true, true); }
Problems Labels(const Template& t) { return CheckLabels(t); }
Problems Groups(const Template& t) { return CheckGroups(t, IDC_NEXT); }
Problems Inside(const Template& t) { return CheckInsideAndApart(t); }
Problems FitAt96(const Template& t) { return CheckFit(t, 96, true); }
Problems FitAt120(const Template& t) { return CheckFit(t, 120, true); }
Problems FitAt192(const Template& t) { return CheckFit(t, 192, true); }

const Module& kEnglish = kModules[0];
const Module& kJapanese = kModules[4];

const Breakage kBreakages[] = {
    {"JPN key not in brackets", IDD_MODEM,
     [](Template* t) {
         Find(t, IDC_MODEM_YES)->text = "&Y" + WithoutAmpersand(Find(t, IDC_MODEM_YES)->text);
     },
     JapaneseKeys, &kJapanese},
    {"radio without key", IDD_MODEM,
     [](Template* t) { Find(t, IDC_MODEM_NO)->text = WithoutAmpersand(Find(t, IDC_MODEM_NO)->text); }, Keys,
     &kEnglish},
    {"label without key", IDD_FAX_NUMBER,
     [](Template* t) {
         auto& c = t->controls[IndexOf(*t, IDC_FAX_NUMBER) - 1];
         c.text = WithoutAmpersand(c.text);
     },
     Keys, &kEnglish},
    {"label shows no prefix", IDD_VOICE_NUMBER,
     [](Template* t) { t->controls[IndexOf(*t, IDC_VOICE_NUMBER) - 1].style |= SS_NOPREFIX; }, Keys,
     &kEnglish},
    {"key twice, lower case", IDD_DEDICATED_LINE,
     [](Template* t) { Find(t, IDC_LINE_SHARED)->text = "&next line"; }, Keys, &kEnglish},
    {"key of disabled Back twice", IDD_WELCOME,
     [](Template* t) {
         t->controls.push_back(Control{WS_CHILD | BS_PUSHBUTTON, 0, 0, 1, 1, 42, "button", "&Back again"});
     },
     Keys, &kEnglish},
    {"Cancel with key", IDD_MODEM, [](Template* t) { Find(t, IDCANCEL)->text = "&Cancel"; }, Keys, &kEnglish},
    {"field right after another", IDD_NAME_COMPANY,
     [](Template* t) {
         Control c = *Find(t, IDC_COMPANY);
         t->controls.erase(t->controls.begin() + IndexOf(*t, IDC_COMPANY));
         t->controls.insert(t->controls.begin() + IndexOf(*t, IDC_USER_NAME) + 1, c);
     },
     Labels, &kEnglish},
    {"empty label", IDD_SHARED_NUMBER,
     [](Template* t) { t->controls[IndexOf(*t, IDC_SHARED_NUMBER) - 1].text = ""; }, Labels, &kEnglish},
    {"first radio without group", IDD_DEDICATED_LINE,
     [](Template* t) { Find(t, IDC_LINE_DEDICATED)->style &= ~WS_GROUP; }, Groups, &kEnglish},
    {"group runs on", IDD_ANSWERING_MACHINE,
     [](Template* t) { Find(t, IDC_TAM_YES_TEXT)->style &= ~WS_GROUP; }, Groups, &kEnglish},
    {"second default button", IDD_SUMMARY,
     [](Template* t) { Find(t, IDC_README)->style |= BS_DEFPUSHBUTTON; }, Groups, &kEnglish},
    {"control past the right edge", IDD_WELCOME, [](Template* t) { Find(t, IDC_PAGE_TITLE)->cx += 10; },
     Inside, &kEnglish},
    {"controls overlap", IDD_MODEM, [](Template* t) { Find(t, IDC_MODEM_NO)->y -= 5; }, Inside, &kEnglish},
    {"radio one circle too narrow", IDD_ANSWERING_MACHINE,
     [](Template* t) {
         Control* c = Find(t, IDC_TAM_NO);
         DialogFont f(*t, 96);
         c->cx = 4 * (f.Measure(LoadedModule::Expanded(c->text), 0, DT_SINGLELINE, false).cx + 5) / f.X(4);
     },
     FitAt96, &kEnglish},
    {"long number cut to one line at 192 DPI", IDD_ANSWERING_MACHINE,
     [](Template* t) {
         Find(t, IDC_TAM_QUESTION)->cx = 100;
         Find(t, IDC_TAM_QUESTION)->cy = 10;
     },
     FitAt192, &kEnglish},
    {"bold title cut", IDD_WELCOME, [](Template* t) { Find(t, IDC_PAGE_TITLE)->cx = 60; }, FitAt120,
     &kEnglish},
};

class BrokenTemplateTest : public ::testing::TestWithParam<Breakage> {};

TEST_P(BrokenTemplateTest, FailsItsRule) {
    const Breakage& b = GetParam();
    if (b.module->codePage != GetACP()) GTEST_SKIP() << b.module->file << " is read in its own code page";
    LoadedModule module(*b.module);
    ASSERT_NE(nullptr, module.handle());
    Template t;
    ASSERT_TRUE(module.ReadTemplate(b.page, &t));
    ASSERT_EQ("", Join(b.rule(module.Shown(b.page, t, kLongNumber))))
        << "the page passes before it is broken";
    b.breakIt(&t);
    EXPECT_NE("", Join(b.rule(module.Shown(b.page, t, kLongNumber))));
}

INSTANTIATE_TEST_SUITE_P(Rules, BrokenTemplateTest, ::testing::ValuesIn(kBreakages),
                         [](const ::testing::TestParamInfo<Breakage>& info) {
                             std::string name = info.param.name;
                             for (char& c : name)
                                 if (!isalnum((unsigned char)c)) c = '_';
                             return name;
                         });

TEST(AccessKeyTest, ReadsTheKeyAsTheDialogManagerDoes) {
    const struct {
        const char* text;
        unsigned char key;
    } cases[] = {{"&Next >", 'N'},    {"N&o", 'O'},     {"na&me", 'M'},
                 {"Fax && phone", 0}, {"A && &b", 'B'}, {"\x8a\xae\x97\xb9(&F)", 'F'},
                 {"Cancel", 0},       {"end&", 0}};
    for (const auto& c : cases) EXPECT_EQ(c.key, AccessKey(c.text)) << c.text;
}

}  // namespace
